#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <limits>
#include <vector>

#include "app/settings_options.h"
#include "fakes/fakes.h"
#include "scratch_folder.h"
#include "settings/ini_file.h"
#include "settings/ini_text.h"
#include "settings/settings_load.h"
#include "settings/settings_store.h"
#include "text/wide_text.h"

namespace kestrel {
namespace {

using namespace std::string_literals;

struct SettingsTest : ::testing::Test {
    // Kestrel.ini holding these lines in Kestrel's section.
    void holds(std::string_view lines) {
        ScratchFolder::write(store.path, "[Kestrel Modem]\r\n" + std::string(lines));
    }
    void load() { loadSettings(store.snapshot(), devices, state, strings); }
    ScratchFolder folder;
    SettingsStore store{folder.file("Kestrel.ini")};
    FakeAudioDevicesPort devices{{"Microphone", "Line In (USB Audio CODEC)", "Line 2"},
                                 {"Headphones", "Speakers (Realtek High Definiti"}};
    ModemState state;
    SettingsStrings strings;
};

TEST_F(SettingsTest, TonesTheDialogRefusesFallBackToTheStandardPair) {
    for (const int hz : {249, 250, 3000, 3001, -2200}) {
        holds("Markfrequency=" + std::to_string(hz) + "\r\nSpacefrequency=" + std::to_string(hz));
        load();
        const bool kept = hz >= 250 && hz <= 3000;  // as the Settings dialog takes them
        EXPECT_EQ(state.markFrequency, kept ? hz : 2125.0) << hz;
        EXPECT_EQ(state.spaceFrequency, kept ? hz : 2295.0) << hz;
    }
}

TEST_F(SettingsTest, AWindowsWrittenFileLoadsDevicesPortsAndLines) {
    ScratchFolder::write(store.path,
                         "\xEF\xBB\xBF[Logger]\r\nRXnameid=Microphone\r\n\r\n[KESTREL MODEM]\r\n"
                         "rxnameid = Line\r\nTXnameid=Speakers (Realtek High Definition Audio)\r\n"
                         "RXChannel=2\r\nTXChannel=1\r\nFSKCOMport=COM3\r\nDTRorRTSorTxD=2\r\n"
                         "NORMorINVERT=1\r\nPTTCOMport=COM123456789012345678\r\nPTT=2\r\n"
                         "Markpolarity=Low\r\n");
    load();
    EXPECT_EQ((std::vector<std::string>{strings.RXnameid, strings.fskPortName, strings.pttPortName,
                                        strings.markPolarity}),
              (std::vector<std::string>{"Line", "COM3", "COM1234567890123456", "L"}));
    // Devices, then channels, then the keying line, its sense and the PTT line.
    EXPECT_EQ((std::vector<long>{state.rxDeviceId, state.txDeviceId, state.RXChannel,
                                 state.TXChannel, state.fskLine, state.fskInvert, state.pttLine}),
              (std::vector<long>{1, 1, 2, 1, 2, 1, 2}));
}

TEST_F(SettingsTest, IntegersReadUpToTheFirstNonDigitElseTheDefault) {
    EXPECT_EQ(store.readSettingInt("PTT", 42), 42);  // no file
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    const std::pair<const char*, std::int32_t> cases[] = {
        {"  +12abc", 12}, {"-7", -7},  {"abc", 42},           {"", 42},
        {"-", 42},        {"0x10", 0}, {"99999999999", kMax}, {"-99999999999", -kMax - 1},
        {"\"5\"", 5}};
    for (const auto& [stored, value] : cases) {
        holds("PTT=" + std::string(stored) + "\r\n");
        EXPECT_EQ(store.readSettingInt("ptt", 42), value) << stored;
    }
    EXPECT_EQ(store.readSettingInt("Missing", 42), 42);
}

TEST_F(SettingsTest, WrittenUnderOneSpellingReadUnderAnother) {
    ASSERT_TRUE(store.writeSetting("Topmost", "1"));
    EXPECT_EQ(store.readSettingInt("TopMost", 0), 1);
    ASSERT_TRUE(store.writeSettingInt("TOPMOST", 0));
    ASSERT_TRUE(store.writeSettingInt("Markfrequency", 915, IntFormat::fourDigits));
    EXPECT_EQ(ScratchFolder::read(store.path),
              "[Kestrel Modem]\r\nTopmost=0\r\nMarkfrequency=0915\r\n");
}

TEST_F(SettingsTest, GarbageAndBinaryFilesGiveDefaultsAndLoseNothing) {
    // A lone CR ends the last line; "[]" opens a section without a name.
    const std::string garbage =
        "no section=1\r\n\0\0\xFF\xFE junk\r\n[Kestrel Modem\r\n\0\x01\x02[]=\r\n=\r"s;
    ScratchFolder::write(store.path, garbage);
    EXPECT_EQ(store.readSettingInt("no section", 7), 7);
    EXPECT_EQ(store.readSettingString("RXnameid", "Line In", 100), "Line In");
    ASSERT_TRUE(store.writeSetting("RXnameid", "Line"));
    ASSERT_TRUE(store.writeSetting("Contest", "0"));
    EXPECT_EQ(ScratchFolder::read(store.path),
              garbage + "[Kestrel Modem]\r\nRXnameid=Line\r\nContest=0\r\n");
}

// text in UTF-16 of either byte order, behind its byte-order mark, with CRLF or LF.
std::string utf16(std::u16string_view text, bool bigEndian, bool crlf = true) {
    std::string bytes;
    for (char16_t unit : u"\uFEFF"s + std::u16string(text)) {
        if (unit == u'\r' && !crlf) continue;
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

std::string utf8(std::u8string_view text) {
    return std::string(text.begin(), text.end());
}

TEST_F(SettingsTest, EachEncodingAndLineEndIsReadAndWrittenBackAsItWas) {
    const std::u16string head16 =
        u"; Plzeň – mine\r\n[Kestrel Modem]\r\nRXnameid=Line In (Účko)\r\n";
    const std::u16string before16 = head16 + u"Contest=0\r\n";
    const std::u16string after16 = head16 + u"Contest=1\r\nTXnameid=Reproduktory – ž\r\n";
    const std::u8string head8 =
        u8"\uFEFF; Plzeň – mine\n[Kestrel Modem]\nRXnameid=Line In (Účko)\n";
    const std::u8string before8 = head8 + u8"Contest=0\n";
    const std::u8string after8 = head8 + u8"Contest=1\nTXnameid=Reproduktory – ž\n";
    for (const auto& [before, after] :
         {std::pair{utf16(before16, false), utf16(after16, false)},
          {utf16(before16, true), utf16(after16, true)},
          {utf16(before16, false, false), utf16(after16, false, false)},
          {utf8(before8), utf8(after8)}}) {
        ScratchFolder::write(store.path, before);
        EXPECT_EQ(store.readSettingString("RXnameid", "", 100), utf8(u8"Line In (Účko)"));
        EXPECT_EQ(store.readSettingInt("Contest", 7), 0);
        ASSERT_TRUE(store.writeSettingInt("Contest", 1));
        ASSERT_TRUE(store.writeSetting("TXnameid", utf8(u8"Reproduktory – ž")));
        EXPECT_EQ(ScratchFolder::read(store.path), after) << before.size();
    }
}

// A name from a device or a datagram may hold any bytes: what cannot stand for a character
// in UTF-16 becomes U+FFFD, and a lone surrogate is never written out as UTF-8.
TEST(WideText, WhatCannotStandForACharacterBecomesTheReplacement) {
    const std::pair<std::string_view, std::u16string_view> cases[] = {
        {"A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\xBB", u"A\u00E9\u20AC\U0001F4FB"},
        {"\xED\xA0\x80", u"\uFFFD"},                        // a surrogate's code
        {"\xF4\x90\x80\x80", u"\uFFFD"},                    // beyond U+10FFFF
        {"\xC0\xAF\xE2\x82", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // overlong, cut short
    };
    for (const auto& [utf8, utf16] : cases) EXPECT_EQ(utf16FromUtf8(utf8), utf16) << utf8;
    EXPECT_EQ(utf8FromUtf16(u"A\U0001F4FB\U0010FFFF"), "A\xF0\x9F\x93\xBB\xF4\x8F\xBF\xBF");
    EXPECT_EQ(utf8FromUtf16(u"A\xD83D"), std::nullopt);
}

using Args = std::vector<std::string>;

// Applies args and expects an error that mentions every one of the texts, with neither
// the arguments nor the settings changed.
void expectError(Args args, std::initializer_list<std::string_view> texts) {
    const Args before = args;
    ModemState state;
    std::string error;
    EXPECT_FALSE(applySettingsOptions(args, state, error));
    for (std::string_view text : texts)
        EXPECT_NE(error.find(text), std::string::npos) << error << " lacks " << text;
    EXPECT_EQ(args, before);
    EXPECT_EQ(state.markFrequency, 2125.0);
    EXPECT_EQ(state.baudIndex, 0);
}

TEST(SettingsOptions, BadValuesNameTheOptionAndWhatItAccepts) {
    for (const char* speed : {"45", "100", "", "45.450"})
        expectError({"--baud", speed}, {"--baud", "45.45, 50 or 75"});
    for (const char* hz : {"249", "3001", "abc", "2125Hz", "", "nan"}) {
        expectError({"--mark", hz}, {"--mark", "250 to 3000"});
        expectError({std::string("--space=") + hz}, {"--space", "250 to 3000"});
    }
    expectError({"in.wav", "--settings"}, {"--settings", "needs a value"});
    // Tones the decoders cannot tell apart at the speed asked for.
    expectError({"--space", "2125"}, {"mark 2125", "space 2125", "50 to 2750 Hz apart"});
    expectError({"--space", "2195", "--baud", "75"}, {"70 Hz apart", "83 to 2750"});
    // A good file does not get applied when an override is bad.
    const ScratchFolder folder;
    const std::string ini = folder.file("contest.ini");
    ScratchFolder::write(ini, "[Kestrel Modem]\r\nMarkfrequency=1275\r\nBaud Rate=1\r\n");
    expectError({"--settings", ini, "--baud", "110"}, {"--baud"});
}

constexpr std::string_view kSection = "Kestrel Modem";

TEST(SettingsIniText, ReadsAndReplacesOnlyItsSectionsValuesIgnoringCaseBlanksAndQuotes) {
    // As Windows leaves it: byte-order mark, CRLF, another program's section first.
    const std::string windowsFile =
        "\xEF\xBB\xBF[Other Program]\r\nMarkfrequency=1000\r\n\r\n; Kestrel's own settings\r\n"
        "[kestrel modem]\r\n  MARKFREQUENCY  =  2200  \r\nRXnameid=\"Line In (USB)\"\r\n"
        "TXnameid='Speakers\r\nEmpty=\r\n\r\n[Last]\r\nContest=0\r\n";
    IniText text(windowsFile);
    EXPECT_EQ(text.value(kSection, "Markfrequency"), "2200");
    EXPECT_EQ(text.value(kSection, "RXnameid"), "Line In (USB)");
    EXPECT_EQ(text.value(kSection, "TXnameid"), "'Speakers");  // no closing quote: kept
    EXPECT_EQ(text.value(kSection, "Empty"), "");
    EXPECT_EQ(text.value(kSection, "Contest"), std::nullopt);  // in [Last] only
    EXPECT_EQ(text.value("Other Program", "markfrequency"), "1000");
    EXPECT_EQ(text.value("Missing", "Contest"), std::nullopt);

    ASSERT_TRUE(text.setValue(kSection, "markFrequency", "2125"));
    ASSERT_TRUE(text.setValue(kSection, "rxnameid", "Line"));
    ASSERT_TRUE(text.setValue(kSection, "Empty", "x"));
    std::string expected = windowsFile;
    expected.replace(expected.find("2200"), 4, "2125");
    expected.replace(expected.find("\"Line In (USB)\""), 15, "Line");
    expected.insert(expected.find("Empty=") + 6, "x");
    EXPECT_EQ(text.bytes(), expected);
}

TEST(SettingsIniText, AValueCannotAddLinesAndBadNamesAreRefused) {
    IniText text("[Kestrel Modem]\r\nA=1\r\n");
    ASSERT_TRUE(text.setValue(kSection, "RXopenwav", "C:\\x.wav\r\n[Evil]\r\nA=2"));
    for (std::string_view key : {"", "A=B", "[A]", " A", "A\nB"})
        EXPECT_FALSE(text.setValue(kSection, key, "1")) << key;
    EXPECT_FALSE(text.setValue("Bad]Section", "A", "1"));
    EXPECT_EQ(text.bytes(), "[Kestrel Modem]\r\nA=1\r\nRXopenwav=C:\\x.wav\r\n");
}

namespace fs = std::filesystem;

TEST(SettingsIniFile, AFileThatCannotBeReadIsNeverReplaced) {
    const ScratchFolder folder;
    ASSERT_EQ(mkfifo(folder.file("Kestrel.ini").c_str(), 0600), 0);  // reading it would hang
    EXPECT_EQ(readIniFile(folder.file("Kestrel.ini")).state, IniFileState::unreadable);
    EXPECT_FALSE(writeIniValue(folder.file("Kestrel.ini"), kSection, "PTT", "1"));
    EXPECT_TRUE(fs::is_fifo(folder.file("Kestrel.ini")));
    // A path through a plain file cannot be created.
    ScratchFolder::write(folder.file("plain"), "keep");
    EXPECT_FALSE(writeIniValue(folder.file("plain/Kestrel.ini"), kSection, "PTT", "1"));
    EXPECT_EQ(ScratchFolder::read(folder.file("plain")), "keep");
}

// A disk that fills up halfway through the rewrite: the file stays as it was and nothing
// of the attempt is left beside it.
TEST(SettingsIniFile, AFullDiskLeavesTheFileAsItWas) {
    const ScratchFolder folder;
    const std::string path = folder.file("Kestrel.ini");
    const std::string before = "[Kestrel Modem]\r\nPTT=0\r\n";
    ScratchFolder::write(path, before);
    rlimit was{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
    const auto onExcess = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit full{before.size() + 8, was.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    const bool written = writeIniValue(path, kSection, "RXopenwav", std::string(64, 'x'));
    setrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, onExcess);
    EXPECT_FALSE(written);
    EXPECT_EQ(ScratchFolder::read(path), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(SettingsIniFile, RewriteKeepsPermissionsAndFollowsALink) {
    const ScratchFolder folder;
    const std::string target = folder.file("real.ini"), link = folder.file("Kestrel.ini");
    ScratchFolder::write(target, "; mine\n");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(target, link);
    ASSERT_TRUE(writeIniValue(link, kSection, "PTT", "1"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ScratchFolder::read(target), "; mine\n[Kestrel Modem]\nPTT=1\n");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
}  // namespace kestrel
