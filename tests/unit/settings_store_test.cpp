#include "app/settings_store.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "scratch_folder.h"

namespace kestrel {
namespace {

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

}  // namespace
}  // namespace kestrel
