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

}  // namespace
}  // namespace kestrel
