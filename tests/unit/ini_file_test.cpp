#include "app/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "scratch_folder.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
constexpr std::string_view kSection = "Kestrel Modem";

TEST(SettingsIniFile, FirstWriteCreatesTheFileAndEveryWriteIsOnDiskAtOnce) {
    ScratchFolder folder;
    const std::string ini = folder.file("Kestrel.ini");
    EXPECT_EQ(iniFileState(ini), IniFileState::missing);
    EXPECT_EQ(readIniValue(ini, kSection, "PTT"), std::nullopt);

    ASSERT_TRUE(writeIniValue(ini, kSection, "PTT", "1"));
    EXPECT_EQ(ScratchFolder::read(ini), "[Kestrel Modem]\r\nPTT=1\r\n");
    ASSERT_TRUE(writeIniValue(ini, kSection, "PTT", "2"));
    ASSERT_TRUE(writeIniValue(ini, kSection, "Contest", "0"));
    EXPECT_EQ(ScratchFolder::read(ini), "[Kestrel Modem]\r\nPTT=2\r\nContest=0\r\n");
    EXPECT_EQ(readIniValue(ini, kSection, "contest"), "0");

    // Nothing but the file is left in the folder: no temporary files.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(SettingsIniFile, AFileThatCannotBeReadIsNeverReplaced) {
    ScratchFolder folder;
    const std::string notAFile = folder.file("Kestrel.ini");
    fs::create_directory(notAFile);
    ScratchFolder::write(folder.file("Kestrel.ini/keep"), "x");
    EXPECT_EQ(iniFileState(notAFile), IniFileState::unreadable);
    EXPECT_EQ(readIniValue(notAFile, kSection, "PTT"), std::nullopt);
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
