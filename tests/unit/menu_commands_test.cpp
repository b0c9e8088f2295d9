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

TEST_F(MenuCommandsTest, SquelchKeepsTheOtherBitsOfTheStoredWord) {
    settings.set("N1MM_SWITCH", "260");  // AFC on, reversed
    menu.menuCommand(kMenuSquelchOn);
    EXPECT_EQ(settings.value("N1MM_SWITCH"), "388");
    EXPECT_EQ(logger.posts(), (std::vector<LoggerPost>{{TXM_SWITCH, 388}}));
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

TEST_F(MenuCommandsTest, ReceiveOptionsEachToggleTheirOwnFlagMarkAndKey) {
    struct Option {
        int id;
        std::atomic<int>& flag;
        std::string key;
    };
    const std::vector<Option> options{
        {kMenuRepeatMatch, state.CorrelateState, "CorrelateState"},
        {kMenuSameReject, state.CorrelateStateSame, "CorrelateStateSame"},
        {kMenuContestMode, state.Contest, "Contest"},
        {kMenuNewSigNewLine, state.NewsigNewline, "NewsigNewline"}};
    for (const Option& option : options) {
        SCOPED_TRACE(option.key);
        const int before = option.flag;
        settings.writes.clear();
        ui.clear();
        menu.menuCommand(option.id);
        EXPECT_EQ(option.flag, 1 - before);
        menu.menuCommand(option.id);
        EXPECT_EQ(option.flag, before);
        const std::string first = before ? "0" : "1";
        const std::string second = before ? "1" : "0";
        EXPECT_EQ(settings.writes, (Writes{{option.key, first}, {option.key, second}}));
        EXPECT_EQ(ui.menuChecks(),
                  (std::vector<UiItemFlag>{{option.id, !before}, {option.id, bool(before)}}));
    }
    EXPECT_TRUE(logger.posts().empty());
}

TEST_F(MenuCommandsTest, IdentifiersWithoutACommandGoToTheDefaultHandling) {
    for (const int id : {103, 107, 108, 109, 113, 117, 118, 123, 40031}) {
        EXPECT_EQ(menu.menuCommand(id), MenuFollowUp::defaultHandling) << id;
    }
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_EQ(mainWindow.closes, 0);
}

TEST_F(MenuCommandsTest, ExitClosesTheMainWindowAndAboutShowsTheBox) {
    EXPECT_EQ(menu.menuCommand(kMenuExit), MenuFollowUp::done);
    EXPECT_EQ(mainWindow.closes, 1);
    EXPECT_EQ(mainWindow.quits, 0);
    EXPECT_EQ(menu.menuCommand(kMenuAbout), MenuFollowUp::showAbout);
}

TEST_F(MenuCommandsTest, MenusAtCreationFollowTheSettingsAndTheCommandLine) {
    state.SquelchState = 1;
    state.Contest = 0;
    EXPECT_FALSE(menu.prepareMenus(2));
    EXPECT_TRUE(ui.menuEnables().empty());
    EXPECT_EQ(ui.menuChecks(),
              (std::vector<UiItemFlag>{
                  {kMenuSquelchOn, true}, {kMenuRepeatMatch, true}, {kMenuSameReject, true}}));
    EXPECT_EQ(state.topMost, 0);

    ui.clear();
    settings.set("TopMost", "1");
    EXPECT_TRUE(menu.prepareMenus(1));
    EXPECT_EQ(ui.menuEnables(), (std::vector<UiItemFlag>{{kMenuSaveWavFile, false}}));
    EXPECT_EQ(ui.menuChecks().front(), (UiItemFlag{kMenuTopMost, true}));
    EXPECT_EQ(state.topMost, 1);

    state.topMost = 0;
    settings.set("TopMost", "3");  // only exactly 1 counts
    EXPECT_FALSE(menu.prepareMenus(2));
    EXPECT_EQ(state.topMost, 0);
}

TEST_F(MenuCommandsTest, SaveTextDialogStartsFromTheStoredNameOrNothing) {
    EXPECT_EQ(saveTextDialogName(settings, "C:\\Radio\\Kestrel.ini"), "C:\\Radio\\decodedtext.txt");
    settings.set("RXsavetext", "D:\\logs\\run");
    EXPECT_EQ(saveTextDialogName(settings, "C:\\Radio\\Kestrel.ini"), "");
    settings.set("RXsavetext", "D:\\logs.2024\\run");
    EXPECT_EQ(saveTextDialogName(settings, "C:\\Radio\\Kestrel.ini"), "");
    settings.set("RXsavetext", "D:\\logs\\run.txt");
    EXPECT_EQ(saveTextDialogName(settings, "C:\\Radio\\Kestrel.ini"), "D:\\logs\\run.txt");
}

TEST_F(MenuCommandsTest, WavDialogStartsWithAllWavFilesInTheLastFolder) {
    EXPECT_EQ(wavDialogName(settings, "C:\\Radio\\Kestrel.ini"), "C:\\Radio\\*.wav");
    settings.set("RXopenwav", "D:\\rec\\contest 1.wav");
    EXPECT_EQ(wavDialogName(settings, "C:\\Radio\\Kestrel.ini"), "D:\\rec\\*.wav");
}

TEST_F(MenuCommandsTest, SaveTextOpensTheChosenFileAndTheNextCommandClosesIt) {
    dialogs.answer = {kFileDialogConfirmed, "D:\\logs\\contest.txt"};
    menu.menuCommand(kMenuSaveText);
    EXPECT_EQ(dialogs.shown, (std::vector<FileDialogShown>{{"save text", "Save Text to File",
                                                            "C:\\Radio\\decodedtext.txt"}}));
    EXPECT_TRUE(textFile.open);
    EXPECT_EQ(textFile.openedPaths, (std::vector<std::string>{"D:\\logs\\contest.txt"}));
    EXPECT_EQ(settings.writes, (Writes{{"RXsavetext", "D:\\logs\\contest.txt"}}));
    EXPECT_EQ(state.saveTextActive, 1);

    menu.menuCommand(kMenuSaveText);
    EXPECT_FALSE(textFile.open);
    EXPECT_EQ(state.saveTextActive, 0);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(ui.menuChecks(),
              (std::vector<UiItemFlag>{{kMenuSaveText, true}, {kMenuSaveText, false}}));
}

TEST_F(MenuCommandsTest, SaveTextCancelledOrToAFileThatCannotBeOpenedStaysOff) {
    menu.menuCommand(kMenuSaveText);  // cancelled
    EXPECT_TRUE(textFile.openedPaths.empty());

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

TEST_F(MenuCommandsTest, HelpOpensThePdfBesideTheProgramOrAsksForIt) {
    documents.existing.insert("C:\\Radio\\Kestrel.pdf");
    menu.menuCommand(kMenuHelpPdf);
    EXPECT_TRUE(ui.messageBoxes().empty());

    documents.existing.clear();
    menu.menuCommand(kMenuHelpPdf);
    EXPECT_EQ(documents.asked,
              (std::vector<std::string>{"C:\\Radio\\Kestrel.pdf", "C:\\Radio\\Kestrel.pdf"}));
    EXPECT_EQ(ui.messageBoxes(),
              (std::vector<UiMessageBox>{
                  {"pdf file not in Kestrel folder\n Copy Kestrel.pdf to Kestrel.exe folder",
                   "Kestrel Request", kTopMost}}));
}

}  // namespace
}  // namespace kestrel
