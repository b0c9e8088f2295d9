#include "app/control_panel.h"

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

class ControlPanelTest : public ::testing::Test, protected AppRig {};

TEST_F(ControlPanelTest, CaptionsShowTheModeAndTheAfcState) {
    state.Decodemode = 2;
    state.afcOff = 1;
    initControlPanel(app);
    EXPECT_EQ(ui.captions(),
              (std::vector<UiItemText>{{kModeButton, "Spread"}, {kAfcButton, "AFC off"}}));

    ui.clear();
    state.Decodemode = 7;
    state.afcOff = 0;
    initControlPanel(app);
    EXPECT_EQ(ui.captions(), (std::vector<UiItemText>{{kAfcButton, "AFC on"}}));
}

TEST_F(ControlPanelTest, AfcPressedTwiceEndsOnWithBit2ClearedThenSet) {
    controlPanelCommand(app, kAfcButton);
    EXPECT_EQ(state.afcOff, 1);
    controlPanelCommand(app, kAfcButton);
    EXPECT_EQ(state.afcOff, 0);

    EXPECT_EQ(logger.posts(), (std::vector<LoggerPost>{{TXM_SWITCH, 13474}, {TXM_SWITCH, 13478}}));
    EXPECT_EQ(settings.writes, (Writes{{"AFC_ON_OFF", "1"},
                                       {"N1MM_SWITCH", "13474"},
                                       {"AFC_ON_OFF", "0"},
                                       {"N1MM_SWITCH", "13478"}}));
    EXPECT_EQ(ui.captions(),
              (std::vector<UiItemText>{{kAfcButton, "AFC off"}, {kAfcButton, "AFC on"}}));
}

TEST_F(ControlPanelTest, AfcLeavesABitThatAlreadySaysSoAlone) {
    settings.set("N1MM_SWITCH", "128");  // AFC bit clear while AFC runs
    controlPanelCommand(app, kAfcButton);
    EXPECT_EQ(logger.posts(), (std::vector<LoggerPost>{{TXM_SWITCH, 128}}));
}

TEST_F(ControlPanelTest, ModeButtonStepsRoundTheThreeModes) {
    state.Decodemode = 0;
    for (int i = 0; i < 3; ++i) controlPanelCommand(app, kModeButton);
    EXPECT_EQ(ui.captions(),
              (std::vector<UiItemText>{
                  {kModeButton, "Selectiv"}, {kModeButton, "Spread"}, {kModeButton, "Flutter"}}));
    EXPECT_EQ(settings.writes,
              (Writes{{"Decodemode", "1"}, {"Decodemode", "2"}, {"Decodemode", "0"}}));
    EXPECT_EQ(state.Decodemode, 0);
    EXPECT_TRUE(logger.posts().empty());
}

TEST_F(ControlPanelTest, SetupOpensTheSettingsThroughTheMenuAndOtherCommandsDoNothing) {
    controlPanelCommand(app, kSetupButton);
    controlPanelCommand(app, kPanelFocusCommand);
    EXPECT_EQ(mainWindow.menuCommands, (std::vector<int>{kMenuSettings}));
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_TRUE(ui.captions().empty());
}

}  // namespace
}  // namespace kestrel
