#include "app/recording_dialog.h"

#include <gtest/gtest.h>

#include "app/ui_ids.h"
#include "unit/app_rig.h"
#include "unit/scratch_folder.h"

namespace kestrel {
namespace {

// OK with one box out of bounds: its message, its old value back, nothing stored or armed.
TEST(RecordingDialog, EachTimeOverItsLimitIsRefusedAndRestored) {
    ScratchFolder folder;
    const struct {
        std::array<std::string, 4> times;
        int box;
        std::string restored;
        const char* message;
    } cases[] = {
        {{"36", "36", "31", "31"},
         kRunBeforeBox,
         " 10",
         "Maximum value of time before is 35 seconds"},
        {{" 35", "36", "0", "0"}, kRunAfterBox, " 01", "Maximum value of time after is 35 seconds"},
        {{"5", "-1", "0", "0"}, kRunAfterBox, " 01", "Maximum value of time after is 35 seconds"},
        {{"5", "5", "31", "0"}, kSnpBeforeBox, " 07", "Maximum value of time before is 30 seconds"},
        {{"5", "5", "30", "1x"}, kSnpAfterBox, " 10", "Maximum value of time after is 30 seconds"},
        {{"5", "5", "30", ""}, kSnpAfterBox, " 10", "Maximum value of time after is 30 seconds"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        AppRig rig;
        rig.settings.set("RXwaveSnPtimebefore", "0007");
        RecordingDialog dialog(rig.app);
        const RecordingDialogTexts opened = dialog.open();
        EXPECT_EQ(opened.path, "C:\\");
        EXPECT_EQ(opened.times, (std::array<std::string, 4>{" 10", " 01", " 07", " 10"}));
        const RecordingDialogResult result = dialog.confirm({folder.path().string(), c.times});
        EXPECT_FALSE(result.confirmed);
        ASSERT_TRUE(result.show);
        EXPECT_EQ(result.show->boxId, c.box);
        EXPECT_EQ(result.show->text, c.restored);
        EXPECT_EQ(rig.ui.messageBoxes(),
                  (std::vector<UiMessageBox>{{c.message, "Input Error", kMbOk}}));
        EXPECT_TRUE(rig.settings.writes.empty());
        EXPECT_EQ(rig.state.saveWavActive, 0);
    }
}

TEST(RecordingDialog, ArmsWithAnExistingFolderAndTheMenuDisarms) {
    ScratchFolder folder;
    AppRig rig;
    RecordingDialog dialog(rig.app);
    dialog.open();
    const std::array<std::string, 4> times{" 35", "0", "30", " 02"};
    const RecordingDialogResult missing = dialog.confirm({folder.path().string() + "/none", times});
    EXPECT_FALSE(missing.confirmed);
    EXPECT_EQ(missing.show->text, folder.path().string() + "/none\\");
    EXPECT_EQ(rig.ui.messageBoxes(),
              (std::vector<UiMessageBox>{
                  {"Directory is invalid or does not exist", "Kestrel Info", kMbOk}}));
    EXPECT_EQ(rig.state.saveWavActive, 0);

    const RecordingDialogResult armed = dialog.confirm({folder.path().string(), times});
    ASSERT_TRUE(armed.confirmed);
    const std::string shown = folder.path().string() + "\\";
    EXPECT_EQ(armed.confirmed->folder, shown);
    EXPECT_EQ(armed.confirmed->times.runBefore, 35);
    EXPECT_EQ(armed.confirmed->times.snpAfter, 2);
    EXPECT_EQ(rig.settings.writes,
              (std::vector<std::pair<std::string, std::string>>{{"RXwaveRUNtimebefore", "0035"},
                                                                {"RXwaveRUNtimeafter", "0000"},
                                                                {"RXwaveSnPtimebefore", "0030"},
                                                                {"RXwaveSnPtimeafter", "0002"},
                                                                {"RXsavewavpath", shown},
                                                                {"RXwavsave", "1"}}));
    EXPECT_EQ(rig.state.saveWavActive, 1);
    EXPECT_EQ(rig.ui.menuChecks(), (std::vector<UiItemFlag>{{kMenuSaveWavFile, true}}));

    EXPECT_EQ(rig.menu.menuCommand(kMenuSaveWavFile), MenuFollowUp::done);
    EXPECT_EQ(rig.state.saveWavActive, 0);
    EXPECT_EQ(rig.ui.menuChecks().back(), (UiItemFlag{kMenuSaveWavFile, false}));
    EXPECT_EQ(rig.settings.value("RXwavsave"), "0");
    EXPECT_EQ(rig.menu.menuCommand(kMenuSaveWavFile), MenuFollowUp::showRecordingDialog);
}

}  // namespace
}  // namespace kestrel
