#include "app/settings_store.h"

#include <gtest/gtest.h>

#include <limits>

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

TEST(SettingsStore, PathIsTheExecutablesWithIniForItsExtension) {
    EXPECT_EQ(settingsPath("C:\\Radio\\Kestrel.exe"), "C:\\Radio\\Kestrel.ini");
    EXPECT_EQ(settingsPath("/opt/kestrel/KESTREL.EXE"), "/opt/kestrel/KESTREL.ini");
    EXPECT_EQ(settingsPath("C:\\Funk\\Kestrel.\xC3\xA9x\xC3\xA9"), "C:\\Funk\\Kestrel.ini");
}

TEST(SettingsStore, IntegersAreWrittenInTheThreeFormats) {
    EXPECT_EQ(formatSettingInt(2125, IntFormat::fourDigits), "2125");
    EXPECT_EQ(formatSettingInt(10, IntFormat::fourDigits), "0010");
    EXPECT_EQ(formatSettingInt(-5, IntFormat::fourDigits), "-0005");
    EXPECT_EQ(formatSettingInt(123456, IntFormat::fourDigits), "123456");
    EXPECT_EQ(formatSettingInt(13478, IntFormat::fiveDigits), "13478");
    EXPECT_EQ(formatSettingInt(7, IntFormat::fiveDigits), "00007");
    EXPECT_EQ(formatSettingInt(0, IntFormat::plain), "0");
    EXPECT_EQ(formatSettingInt(-1, IntFormat::plain), "-1");
}

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

TEST_F(SettingsStoreTest, StringsAreCutToCapacityLessOne) {
    EXPECT_EQ(store.readSettingString("FSKCOMport", "NONE", 20), "NONE");  // no file
    EXPECT_EQ(store.readSettingString("FSKCOMport", "NONE", 3), "NO");     // default cut too
    holds(
        "FSKCOMport=COM123456789012345678901\r\nRX=Mikrofon \xC2\xAE "
        "USB\r\nE=\r\nK=\xF0\x9F\x93\xBB\r\n");
    EXPECT_EQ(store.readSettingString("FSKCOMport", "NONE", 20), "COM1234567890123456");
    // Counted in characters, not bytes, and never half a character.
    EXPECT_EQ(store.readSettingString("RX", "", 11), "Mikrofon \xC2\xAE");
    EXPECT_EQ(store.readSettingString("RX", "", 10), "Mikrofon ");
    EXPECT_EQ(store.readSettingString("K", "", 2), "");  // a surrogate pair needs two
    EXPECT_EQ(store.readSettingString("K", "", 3), "\xF0\x9F\x93\xBB");
    EXPECT_EQ(store.readSettingString("E", "default", 20), "");  // present but empty
    EXPECT_EQ(store.readSettingString("FSKCOMport", "NONE", 1), "");
    EXPECT_EQ(store.readSettingString("FSKCOMport", "NONE", 0), "");
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

}  // namespace
}  // namespace kestrel
