#include "app/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "scratch_folder.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
constexpr std::string_view kSection = "Kestrel Modem";

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
