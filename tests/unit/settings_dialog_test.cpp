#include "app/settings_dialog.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/ui_ids.h"
#include "fakes/fake_audio_devices_port.h"
#include "fakes/fake_dialog_port.h"
#include "fakes/fake_logger_port.h"
#include "fakes/fake_main_window_port.h"
#include "fakes/fake_settings_access.h"
#include "fakes/fake_ui_port.h"

namespace kestrel {
namespace {

struct SettingsRig {
    SettingsRig() {
        devices.inputs = {"PulseAudio", "Line In"};
        devices.outputs = {"PulseAudio", "Speakers", "Monitor of a very long device name th"};
        devices.inputEndpoints = {"Line In", "Microphone"};
        devices.outputEndpoints = {"Speakers", "Monitor of a very long device name that goes on"};
        settings.set("RXnameid", "line in");
        settings.set("TXnameid", "Speakers");
    }
    std::vector<std::string> boxTexts() const {
        std::vector<std::string> out;
        for (const auto& box : ui.messageBoxes()) out.push_back(box.text);
        return out;
    }
    FakeDialog& openDialog() {
        dialog = FakeDialog{};
        ui.clear();
        settingsDialog.open(dialog);
        return dialog;
    }

    ModemState state;
    MemorySettings settings;
    RecordingUi ui;
    RecordingLogger logger;
    FakeMainWindow mainWindow;
    SettingsStrings strings;
    FakeAudioDevicesPort devices;
    std::vector<std::string> calls;
    SettingsDialog settingsDialog{
        {state, settings, ui, logger, mainWindow},
        strings,
        devices,
        {[this] { calls.push_back("capture"); }, [this] { calls.push_back("playback"); },
         [this] { calls.push_back("tiny"); }, [this] { calls.push_back("com names"); }}};
    FakeDialog dialog;
};

TEST(SettingsDialog, OpeningMarksTheButtonsOfThePendingValues) {
    struct Case {
        int rx, tx, baud, mode;
        std::map<int, int> marked;  // by the group's first button
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        {1,
         2,
         2,
         4,
         {{kRxMonoButton, kRxLeftButton},
          {kTxMonoButton, kTxRightButton},
          {kBaud45Button, kBaud75Button},
          {kAfskTxButton, kTinyFskTxButton}},
         {}},
        {3,
         0,
         0,
         2,
         {{kRxMonoButton, kRxMonoButton},
          {kTxMonoButton, kTxMonoButton},
          {kBaud45Button, kBaud45Button},
          {kAfskTxButton, 0}},
         {}},
        {7,
         5,
         9,
         8,
         {{kAfskTxButton, kDookTxButton}},
         {kChannelButtonError, kChannelButtonError, kBaudButtonError}},
    };
    for (const Case& c : cases) {
        SettingsRig rig;
        rig.state.RXChannel = c.rx;
        rig.state.TXChannel = c.tx;
        rig.state.baudIndex = c.baud;
        rig.state.TXmode = c.mode;
        FakeDialog& dialog = rig.openDialog();
        EXPECT_EQ(dialog.marked, c.marked) << c.rx << c.tx << c.baud << c.mode;
        std::vector<std::string> twice = c.messages;  // the buttons are shown twice on opening
        twice.insert(twice.end(), c.messages.begin(), c.messages.end());
        EXPECT_EQ(rig.boxTexts(), twice);
    }
}

TEST(SettingsDialog, OpeningListsTheEndpointsAndShowsTheStoredValues) {
    SettingsRig rig;
    rig.settings.set("Markfrequency", "1275");
    rig.settings.set("Spacefrequency", "45");
    rig.state.markFrequency = 1275;
    rig.state.spaceFrequency = 1445;
    rig.state.FFTDisplay = 115;
    FakeDialog& dialog = rig.openDialog();
    EXPECT_EQ(dialog.lists[kInputDeviceList], rig.devices.inputEndpoints);
    EXPECT_EQ(dialog.lists[kOutputDeviceList], rig.devices.outputEndpoints);
    EXPECT_EQ(dialog.selectedListItem(kInputDeviceList), 0);
    EXPECT_EQ(dialog.selectedListItem(kOutputDeviceList), 0);
    EXPECT_EQ(dialog.texts[kMarkField], " 1275");
    EXPECT_EQ(dialog.texts[kSpaceField], "  045");
    EXPECT_EQ(dialog.texts[kTonePairButton], "High");
    EXPECT_EQ(dialog.texts[kWidthField], "  425");

    // A stored name no endpoint has keeps the index found last; no endpoints at all: a
    // message and an empty list.
    rig.settings.set("RXnameid", "Gone");
    rig.devices.outputEndpoints.clear();
    rig.devices.inputEndpoints = {"Microphone", "Line In", "USB Codec"};
    rig.settingsDialog.selectedIndex = 2;
    FakeDialog& again = rig.openDialog();
    EXPECT_EQ(again.selectedListItem(kInputDeviceList), 2);
    EXPECT_EQ(again.selectedListItem(kOutputDeviceList), kNoListItem);
    EXPECT_EQ(rig.ui.messageBoxes().front(),
              (UiMessageBox{kNoOutputsMessage, "Kestrel Error", kMbOk | kMbTopMost}));
}

// High and Low step between the standard pairs (seen on the rig); any other caption
// loads the low pair and stays.
TEST(SettingsDialog, TheToneButtonWithAnUnknownCaptionLoadsTheLowPair) {
    SettingsRig rig;
    FakeDialog& dialog = rig.openDialog();
    dialog.texts[kTonePairButton] = "Default";
    rig.settingsDialog.command(dialog, kTonePairButton);
    EXPECT_EQ(dialog.texts[kMarkField], "1275");
    EXPECT_EQ(dialog.texts[kSpaceField], "1445");
    EXPECT_EQ(dialog.texts[kTonePairButton], "Default");
}

TEST(SettingsDialog, OkAppliesTonesAndWidthWithTheirMessages) {
    struct Case {
        const char* mark;
        const char* space;
        const char* width;
        int baudIndex;
        double wantMark, wantSpace;
        int wantBins;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        {" 2125", " 2295", "425", 0, 2125, 2295, 115, {}},
        {"2125", "2295", "0", 0, 2125, 2295, 115, {}},
        {"3000", "2830", "99999", 0, 3000, 2830, 731, {}},
        {"1275", "1445", "1000", 2, 1275, 1445, 163, {}},
        {"2000", "4800", "425", 0, 2125, 2295, 115, {kSpacingMessage}},
        {"abc", "2000", "425", 0, 2125, 2000, 115, {kMarkToneMessage}},
        {"2400", "3001", "425", 0, 2400, 2295, 115, {kSpaceToneMessage}},
    };
    for (const Case& c : cases) {
        SettingsRig rig;
        rig.state.baudIndex = c.baudIndex;
        rig.state.sampleRate = c.baudIndex == 2 ? 19800 : 12000;
        FakeDialog& dialog = rig.openDialog();
        dialog.texts[kMarkField] = c.mark;
        dialog.texts[kSpaceField] = c.space;
        dialog.texts[kWidthField] = c.width;
        rig.settingsDialog.command(dialog, kOkButton);
        EXPECT_EQ(rig.state.markFrequency, c.wantMark) << c.mark;
        EXPECT_EQ(rig.state.spaceFrequency, c.wantSpace) << c.mark;
        EXPECT_EQ(rig.state.FFTDisplay, c.wantBins) << c.mark;
        EXPECT_EQ(rig.boxTexts(), c.messages) << c.mark;
        EXPECT_EQ(rig.settings.value("Markfrequency"),
                  formatSettingInt(int(c.wantMark), IntFormat::fourDigits));
        EXPECT_EQ(dialog.ended, kOkButton);
        EXPECT_EQ(rig.mainWindow.sizes, 1);
    }
}

TEST(SettingsDialog, OkAppliesDevicesChannelsSpeedAndModeInOrder) {
    SettingsRig rig;
    rig.state.TXmode = 3;
    rig.state.RXChannel = 1;
    FakeDialog& dialog = rig.openDialog();
    dialog.selectListItem(kInputDeviceList, kNoListItem);  // keeps the stored input
    dialog.selectListItem(kOutputDeviceList, 1);
    rig.state.rxDeviceId = 7;
    for (int id : {kRxRightButton, kTxLeftButton, kBaud75Button, kAfskTxButton}) {
        rig.settingsDialog.command(dialog, id);
    }
    EXPECT_EQ(dialog.ran, std::vector<int>{kPttSetupDialog});
    rig.settings.writes.clear();
    rig.settingsDialog.command(dialog, kOkButton);

    EXPECT_EQ(rig.state.rxDeviceId, 7u);
    EXPECT_EQ(rig.state.RXChannel, 2);
    EXPECT_EQ(rig.strings.TXnameid, "Monitor of a very long device name that goes on");
    EXPECT_EQ(rig.state.txDeviceId, 2u);  // its 31-character product name
    EXPECT_EQ(rig.state.TXChannel, 1);
    EXPECT_EQ(rig.state.TXmode, 0);
    EXPECT_EQ(rig.state.netOn, 1);
    EXPECT_EQ(rig.ui.statusText(kNetStatusPart), "Net On");
    EXPECT_EQ(rig.state.sampleRate, 19800);
    EXPECT_EQ(rig.state.txSoundState, 3);
    EXPECT_EQ(rig.calls, (std::vector<std::string>{"capture", "playback", "com names"}));
    std::vector<std::string> keys;
    for (const auto& [key, value] : rig.settings.writes) keys.push_back(key + "=" + value);
    EXPECT_EQ(keys,
              (std::vector<std::string>{"RXid=7", "RXChannel=2", "TXnameid=" + rig.strings.TXnameid,
                                        "TXid=2", "TXChannel=1", "FSKCOMport=NONE",
                                        "Markfrequency=2125", "Spacefrequency=2295", "Decodemode=1",
                                        "TXmode=0", "FFTDisplay=0115", "Baud Rate=2"}));
}

TEST(SettingsDialog, KeyerModesNeedTheirPortAndCancelKeepsThePendingMode) {
    SettingsRig rig;
    rig.state.TXmode = 0;
    FakeDialog& dialog = rig.openDialog();
    rig.settingsDialog.command(dialog, kFskTxButton);  // its port dialog cancelled
    EXPECT_EQ(dialog.marked[kAfskTxButton], kAfskTxButton);
    dialog.answers[kTinyPortDialog] = 1;
    rig.settingsDialog.command(dialog, kTinyFskTxButton);
    EXPECT_EQ(dialog.ran, (std::vector<int>{kFskSetupDialog, kTinyPortDialog}));
    rig.settingsDialog.command(dialog, kCancelButton);
    EXPECT_EQ(dialog.ended, kCancelButton);
    EXPECT_EQ(rig.state.TXmode, 0);
    EXPECT_TRUE(rig.settings.writes.empty());

    FakeDialog& again = rig.openDialog();
    EXPECT_EQ(again.marked[kAfskTxButton], kTinyFskTxButton);
    again.texts[kSpaceField] = "9";
    rig.settingsDialog.command(again, kOkButton);
    EXPECT_EQ(rig.state.TXmode, 4);
    EXPECT_EQ(rig.state.netOn, 0);
    EXPECT_EQ(rig.ui.statusText(kNetStatusPart), "  FSK");
    EXPECT_EQ(rig.settings.value("FSKCOMport"), "");  // a keyer mode keeps its port
    EXPECT_EQ(rig.calls, (std::vector<std::string>{"capture", "com names", "tiny"}));
}

}  // namespace
}  // namespace kestrel
