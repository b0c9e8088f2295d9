#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <vector>

#include "app/ini_file.h"
#include "app/ini_text.h"
#include "app/settings_load.h"
#include "app/settings_options.h"
#include "app/settings_store.h"
#include "fakes/fakes.h"
#include "scratch_folder.h"

namespace kestrel {
namespace {

class SettingsLoad : public ::testing::Test {
  protected:
    // Loads from a file holding these lines in Kestrel's section.
    void load(std::string_view lines) {
        ScratchFolder::write(store.path, "[Kestrel Modem]\r\n" + std::string(lines));
        loadSettings(store.snapshot(), devices, state, strings);
    }
    ScratchFolder folder;
    SettingsStore store{folder.file("Kestrel.ini")};
    FakeAudioDevicesPort devices{{"Microphone", "Line In (USB Audio CODEC)", "Line 2"},
                                 {"Headphones", "Speakers (Realtek High Definiti"}};
    ModemState state;
    SettingsStrings strings;
};

TEST_F(SettingsLoad, TonesOutside250To2999HzFallBackToTheStandardPair) {
    for (const auto& [stored, mark, space] : {std::tuple{"249", 2125.0, 2295.0},
                                              {"250", 250.0, 250.0},
                                              {"2999", 2999.0, 2999.0},
                                              {"3000", 2125.0, 2295.0},
                                              {"-2200", 2125.0, 2295.0},
                                              {"1275", 1275.0, 1275.0}}) {
        load("Markfrequency=" + std::string(stored) + "\r\nSpacefrequency=" + stored + "\r\n");
        EXPECT_EQ(state.markFrequency, mark) << stored;
        EXPECT_EQ(state.spaceFrequency, space) << stored;
    }
}

TEST_F(SettingsLoad, AWindowsWrittenFileLoadsDevicesPortsAndLines) {
    ScratchFolder::write(store.path,
                         "\xEF\xBB\xBF[Logger]\r\nRXnameid=Microphone\r\n\r\n"
                         "[KESTREL MODEM]\r\n"
                         "rxnameid = Line\r\n"
                         "TXnameid=Speakers (Realtek High Definition Audio)\r\n"
                         "RXChannel=2\r\nTXChannel=1\r\n"
                         "FSKCOMport=COM3\r\nDTRorRTSorTxD=2\r\nNORMorINVERT=1\r\n"
                         "PTTCOMport=COM123456789012345678\r\nPTT=2\r\nMarkpolarity=Low\r\n");
    loadSettings(store.snapshot(), devices, state, strings);
    EXPECT_EQ(strings.RXnameid, "Line");
    EXPECT_EQ(state.rxDeviceId, 1u);
    EXPECT_EQ(state.txDeviceId, 1u);
    EXPECT_EQ(state.RXChannel, 2);
    EXPECT_EQ(state.TXChannel, 1);
    EXPECT_EQ(strings.fskPortName, "COM3");
    EXPECT_EQ(state.fskLine, 2);
    EXPECT_EQ(state.fskInvert, 1);
    EXPECT_EQ(strings.pttPortName, "COM1234567890123456");
    EXPECT_EQ(state.pttLine, 2);
    EXPECT_EQ(strings.markPolarity, "L");
}

using namespace std::string_literals;

class SettingsStoreTest : public ::testing::Test {
  protected:
    void holds(std::string_view lines) {
        ScratchFolder::write(store.path, "[Kestrel Modem]\r\n" + std::string(lines));
    }
    ScratchFolder folder;
    SettingsStore store{folder.file("Kestrel.ini")};
};

TEST_F(SettingsStoreTest, IntegersReadUpToTheFirstNonDigitElseTheDefault) {
    EXPECT_EQ(store.readSettingInt("PTT", 42), 42);  // no file
    holds(
        "A=  +12abc\r\nB=-7\r\nC=abc\r\nD=\r\nE=-\r\nF=0x10\r\n"
        "G=99999999999\r\nH=-99999999999\r\nI=\"5\"\r\n");
    EXPECT_EQ(store.readSettingInt("a", 42), 12);
    EXPECT_EQ(store.readSettingInt("B", 42), -7);
    EXPECT_EQ(store.readSettingInt("C", 42), 42);
    EXPECT_EQ(store.readSettingInt("D", 42), 42);
    EXPECT_EQ(store.readSettingInt("E", 42), 42);
    EXPECT_EQ(store.readSettingInt("F", 42), 0);
    EXPECT_EQ(store.readSettingInt("G", 42), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(store.readSettingInt("H", 42), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(store.readSettingInt("I", 42), 5);
    EXPECT_EQ(store.readSettingInt("Missing", 42), 42);
}

TEST_F(SettingsStoreTest, WrittenUnderOneSpellingReadUnderAnother) {
    ASSERT_TRUE(store.writeSetting("Topmost", "1"));
    EXPECT_EQ(store.readSettingInt("TopMost", 0), 1);
    ASSERT_TRUE(store.writeSettingInt("TOPMOST", 0));
    ASSERT_TRUE(store.writeSettingInt("Markfrequency", 915, IntFormat::fourDigits));
    EXPECT_EQ(ScratchFolder::read(store.path),
              "[Kestrel Modem]\r\nTopmost=0\r\nMarkfrequency=0915\r\n");
}

TEST_F(SettingsStoreTest, GarbageAndBinaryFilesGiveDefaultsAndLoseNothing) {
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

// text in UTF-16 of either byte order, behind its byte-order mark.
std::string utf16(std::u16string_view text, bool bigEndian) {
    std::string bytes;
    for (char16_t unit : std::u16string(u"\uFEFF") + std::u16string(text)) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

std::u16string lineFeedsOnly(std::u16string_view text) {
    std::u16string out;
    for (char16_t c : text)
        if (c != u'\r') out += c;
    return out;
}

std::string utf8(std::u8string_view text) {
    return std::string(text.begin(), text.end());
}

TEST_F(SettingsStoreTest, EachEncodingAndLineEndIsReadAndWrittenBackAsItWas) {
    struct Case {
        std::string before, after;
    };
    const std::u16string_view before16 =
        u"; Plzeň – mine\r\n[Kestrel Modem]\r\nRXnameid=Line In (Účko)\r\nContest=0\r\n";
    const std::u16string_view after16 =
        u"; Plzeň – mine\r\n[Kestrel Modem]\r\nRXnameid=Line In (Účko)\r\nContest=1\r\n"
        u"TXnameid=Reproduktory – ž\r\n";
    const std::u8string_view before8 =
        u8"\uFEFF; Plzeň – mine\n[Kestrel Modem]\nRXnameid=Line In (Účko)\nContest=0\n";
    const std::u8string_view after8 =
        u8"\uFEFF; Plzeň – mine\n[Kestrel Modem]\nRXnameid=Line In (Účko)\nContest=1\n"
        u8"TXnameid=Reproduktory – ž\n";
    for (const Case& c : std::vector<Case>{
             {utf16(before16, false), utf16(after16, false)},
             {utf16(before16, true), utf16(after16, true)},
             {utf16(lineFeedsOnly(before16), false), utf16(lineFeedsOnly(after16), false)},
             {utf8(before8), utf8(after8)}}) {
        ScratchFolder::write(store.path, c.before);
        EXPECT_EQ(store.readSettingString("RXnameid", "", 100), utf8(u8"Line In (Účko)"));
        EXPECT_EQ(store.readSettingInt("Contest", 7), 0);
        ASSERT_TRUE(store.writeSettingInt("Contest", 1));
        ASSERT_TRUE(store.writeSetting("TXnameid", utf8(u8"Reproduktory – ž")));
        EXPECT_EQ(ScratchFolder::read(store.path), c.after) << c.before.size();
    }
}

using Args = std::vector<std::string>;

class SettingsOptions : public ::testing::Test {
  protected:
    SettingsOptions() {
        ScratchFolder::write(ini,
                             "[Kestrel Modem]\r\nMarkfrequency=1275\r\nSpacefrequency=1445\r\n"
                             "Baud Rate=1\r\nDecodemode=2\r\n");
    }
    // Applies args and expects an error that mentions every one of the texts.
    void expectError(Args args, std::initializer_list<std::string_view> texts) {
        const Args before = args;
        std::string error;
        EXPECT_FALSE(applySettingsOptions(args, state, error));
        for (std::string_view text : texts)
            EXPECT_NE(error.find(text), std::string::npos) << error << " lacks " << text;
        EXPECT_EQ(args, before);
        EXPECT_EQ(state.markFrequency, 2125.0);
        EXPECT_EQ(state.baudIndex, 0);
    }
    ScratchFolder folder;
    std::string ini = folder.file("contest.ini");
    ModemState state;
};

TEST_F(SettingsOptions, BadValuesNameTheOptionAndWhatItAccepts) {
    for (const char* speed : {"45", "100", "", "45.450"})
        expectError({"--baud", speed}, {"--baud", "45.45, 50 or 75"});
    for (const char* hz : {"249", "3000", "abc", "2125Hz", "", "nan"}) {
        expectError({"--mark", hz}, {"--mark", "250 to 2999"});
        expectError({std::string("--space=") + hz}, {"--space", "250 to 2999"});
    }
    expectError({"in.wav", "--settings"}, {"--settings", "needs a value"});
    // Tones the decoders cannot tell apart at the speed asked for.
    expectError({"--space", "2125"}, {"mark 2125", "space 2125", "50 to 2750 Hz apart"});
    expectError({"--space", "2195", "--baud", "75"}, {"70 Hz apart", "83 to 2750"});
    // A good file does not get applied when an override is bad.
    expectError({"--settings", ini, "--baud", "110"}, {"--baud"});
}

constexpr std::string_view kSection = "Kestrel Modem";

// As Windows leaves it: byte-order mark, CRLF, another program's section first.
const std::string kWindowsFile =
    "\xEF\xBB\xBF[Other Program]\r\n"
    "Markfrequency=1000\r\n"
    "\r\n"
    "; Kestrel's own settings\r\n"
    "[kestrel modem]\r\n"
    "  MARKFREQUENCY  =  2200  \r\n"
    "RXnameid=\"Line In (USB)\"\r\n"
    "TXnameid='Speakers\r\n"
    "Empty=\r\n"
    "\r\n"
    "[Last]\r\n"
    "Contest=0\r\n";

TEST(SettingsIniText, ReadsOnlyItsSectionIgnoringCaseBlanksAndQuotes) {
    const IniText text(kWindowsFile);
    EXPECT_EQ(text.value(kSection, "Markfrequency"), "2200");
    EXPECT_EQ(text.value(kSection, "RXnameid"), "Line In (USB)");
    EXPECT_EQ(text.value(kSection, "TXnameid"), "'Speakers");  // no closing quote: kept
    EXPECT_EQ(text.value(kSection, "Empty"), "");
    EXPECT_EQ(text.value(kSection, "Contest"), std::nullopt);  // in [Last] only
    EXPECT_EQ(text.value("Other Program", "markfrequency"), "1000");
    EXPECT_EQ(text.value("Missing", "Contest"), std::nullopt);
}

TEST(SettingsIniText, ReplacingAValueChangesOnlyThatValue) {
    IniText text(kWindowsFile);
    ASSERT_TRUE(text.setValue(kSection, "markFrequency", "2125"));
    ASSERT_TRUE(text.setValue(kSection, "rxnameid", "Line"));
    ASSERT_TRUE(text.setValue(kSection, "Empty", "x"));
    std::string expected = kWindowsFile;
    expected.replace(expected.find("2200"), 4, "2125");
    expected.replace(expected.find("\"Line In (USB)\""), 15, "Line");
    expected.insert(expected.find("Empty=") + 6, "x");
    EXPECT_EQ(text.bytes(), expected);
}

TEST(SettingsIniText, AValueCannotAddLinesAndBadNamesAreRefused) {
    IniText text("[Kestrel Modem]\r\nA=1\r\n");
    ASSERT_TRUE(text.setValue(kSection, "RXopenwav", "C:\\x.wav\r\n[Evil]\r\nA=2"));
    EXPECT_EQ(text.bytes(), "[Kestrel Modem]\r\nA=1\r\nRXopenwav=C:\\x.wav\r\n");
    for (std::string_view key : {"", "A=B", "[A]", " A", "A\nB"})
        EXPECT_FALSE(text.setValue(kSection, key, "1")) << key;
    EXPECT_FALSE(text.setValue("Bad]Section", "A", "1"));
    EXPECT_EQ(text.bytes(), "[Kestrel Modem]\r\nA=1\r\nRXopenwav=C:\\x.wav\r\n");
}

TEST(SettingsIniText, BinaryBytesSurviveAWrite) {
    std::string binary;
    for (int i = 0; i < 512; ++i) binary += static_cast<char>((i * 37) & 0xFF);
    IniText text(binary);
    ASSERT_TRUE(text.setValue(kSection, "Contest", "0"));
    ASSERT_TRUE(text.setValue(kSection, "PTT", "1"));
    EXPECT_EQ(text.bytes().substr(0, binary.size()), binary);
    EXPECT_EQ(text.value(kSection, "Contest"), "0");
    EXPECT_EQ(text.value(kSection, "PTT"), "1");
}

namespace fs = std::filesystem;

TEST(SettingsIniFile, AFileThatCannotBeReadIsNeverReplaced) {
    ScratchFolder folder;
    const std::string notAFile = folder.file("Kestrel.ini");
    fs::create_directory(notAFile);
    ScratchFolder::write(folder.file("Kestrel.ini/keep"), "x");
    EXPECT_EQ(readIniFile(notAFile).state, IniFileState::unreadable);
    EXPECT_FALSE(writeIniValue(notAFile, kSection, "PTT", "1"));
    EXPECT_EQ(ScratchFolder::read(folder.file("Kestrel.ini/keep")), "x");

    // A path through a plain file cannot be created.
    ScratchFolder::write(folder.file("plain"), "keep");
    EXPECT_FALSE(writeIniValue(folder.file("plain/Kestrel.ini"), kSection, "PTT", "1"));
    EXPECT_EQ(ScratchFolder::read(folder.file("plain")), "keep");
}

TEST(SettingsIniFile, RewriteKeepsPermissionsAndFollowsALink) {
    ScratchFolder folder;
    const std::string target = folder.file("real.ini");
    const std::string link = folder.file("Kestrel.ini");
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
