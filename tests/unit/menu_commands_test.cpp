#include "app/menu_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/ui_ids.h"
#include "platform/logger_codes.h"
#include "unit/app_rig.h"

namespace kestrel {
namespace {

using Writes = std::vector<std::pair<std::string, std::string>>;
constexpr unsigned kTopMost = 0x40000;

class MenuCommandsTest : public ::testing::Test, protected AppRig {};

TEST_F(MenuCommandsTest, SquelchFromTheDefaultSwitchWordStoresBit7SetThenCleared) {
    EXPECT_EQ(menu.menuCommand(kMenuSquelchOn), MenuFollowUp::done);
    EXPECT_EQ(state.SquelchState, 1);
    EXPECT_EQ(menu.menuCommand(kMenuSquelchOn), MenuFollowUp::done);
    EXPECT_EQ(state.SquelchState, 0);

    EXPECT_EQ(settings.writes, (Writes{{"SquelchState", "1"},
                                       {"N1MM_SWITCH", "13478"},
                                       {"SquelchState", "0"},
                                       {"N1MM_SWITCH", "13350"}}));
    EXPECT_EQ(logger.posts(), (std::vector<LoggerPost>{{TXM_SWITCH, 13478}, {TXM_SWITCH, 13350}}));
    EXPECT_EQ(ui.menuChecks(),
              (std::vector<UiItemFlag>{{kMenuSquelchOn, true}, {kMenuSquelchOn, false}}));
    EXPECT_EQ(state.switchWord, 13350);
}

TEST_F(MenuCommandsTest, TopMostTogglesItsFlagMarkAndKeyAndTellsTheWindowWhereToGo) {
    EXPECT_EQ(menu.menuCommand(kMenuTopMost), MenuFollowUp::placeTopMost);
    EXPECT_EQ(state.topMost, 1);
    EXPECT_EQ(settings.readInt("TopMost", 0), 1);  // written as Topmost, read as TopMost
    EXPECT_EQ(menu.menuCommand(kMenuTopMost), MenuFollowUp::placeNotTopMost);
    EXPECT_EQ(state.topMost, 0);
    EXPECT_EQ(settings.writes, (Writes{{"Topmost", "1"}, {"Topmost", "0"}}));
    EXPECT_EQ(ui.menuChecks(),
              (std::vector<UiItemFlag>{{kMenuTopMost, true}, {kMenuTopMost, false}}));
}

TEST_F(MenuCommandsTest, SaveTextCancelledOrToAFileThatCannotBeOpenedStaysOff) {
    menu.menuCommand(kMenuSaveText);  // cancelled
    dialogs.answer = {0x3003, ""};    // the dialog failed: its buffer was too small
    menu.menuCommand(kMenuSaveText);
    EXPECT_TRUE(textFile.openedPaths.empty());
    EXPECT_TRUE(ui.messageBoxes().empty());

    dialogs.answer = {kFileDialogConfirmed, "Q:\\nowhere\\x.txt"};
    textFile.opens = false;
    menu.menuCommand(kMenuSaveText);
    EXPECT_EQ(
        ui.messageBoxes(),
        (std::vector<UiMessageBox>{{"Could not open file specified", "Kestrel Error", kTopMost}}));
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_EQ(state.saveTextActive, 0);
    EXPECT_TRUE(ui.menuChecks().empty());
}

}  // namespace
}  // namespace kestrel
