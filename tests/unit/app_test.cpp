#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "app/app_ports.h"
#include "app/command_line.h"
#include "app/main_window_layout.h"
#include "app/menu_commands.h"
#include "app/platform_checks.h"
#include "app/port_dialogs.h"
#include "app/settings_dialog.h"
#include "fakes/fakes.h"
#include "platform/logger_codes.h"
#include "text/ui_ids.h"
#include "transmit/tx_buffer.h"

namespace kestrel {
namespace {

// The application's ports on recording fakes.
struct AppRig {
    ModemState state;
    MemorySettings settings;
    RecordingUi ui;
    RecordingLogger logger;
    FakeMainWindow mainWindow;
    AppPorts app{state, settings, ui, logger, mainWindow};
};

struct SettingsRig : AppRig {
    SettingsRig() {
        devices.inputs = {"PulseAudio", "Line In"};
        devices.outputs = {"PulseAudio", "Speakers", "Monitor of a very long device name th"};
        devices.inputEndpoints = {"Line In", "Microphone"};
        devices.outputEndpoints = {"Speakers", "Monitor of a very long device name that goes on"};
        settings.set("RXnameid", "line in");
        settings.set("TXnameid", "Speakers");
    }
    FakeDialog& openDialog() {
        dialog = FakeDialog{};
        ui.clear();
        settingsDialog.open(dialog);
        return dialog;
    }

    SettingsStrings strings;
    FakeAudioDevicesPort devices;
    std::vector<std::string> calls;
    SettingsDialog settingsDialog{
        app,
        strings,
        devices,
        {[this] { calls.push_back("capture"); }, [this] { calls.push_back("playback"); },
         [this] { calls.push_back("tiny"); }, [this] { calls.push_back("com names"); }}};
    FakeDialog dialog;
};

// The marked button of the channel, speed and mode groups (0: none); a value no button
// stands for is said, twice, as the buttons are shown twice on opening.
TEST(SettingsDialog, OpeningMarksTheButtonsOfThePendingValues) {
    const std::vector<std::string> noButton = {kChannelButtonError, kChannelButtonError,
                                               kBaudButtonError};
    const struct {
        int rx, tx, baud, mode;
        std::array<int, 4> marked;
        std::vector<std::string> messages;
    } cases[] = {
        {1, 2, 2, 4, {IDC_RX_LEFT, IDC_TX_RIGHT, IDC_BAUD_75, IDC_TINYFSK_TX}, {}},
        {3, 0, 0, 2, {IDC_RX_MONO, IDC_TX_MONO, IDC_BAUD_45, 0}, {}},  // PFSK: none
        {7, 5, 9, 8, {0, 0, 0, IDC_DOOK_TX}, noButton},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rx);
        SettingsRig rig;
        rig.state.RXChannel = c.rx;
        rig.state.TXChannel = c.tx;
        rig.state.baudIndex = c.baud;
        rig.state.TXmode = c.mode;
        FakeDialog& d = rig.openDialog();
        EXPECT_EQ((std::array<int, 4>{d.marked[IDC_RX_MONO], d.marked[IDC_TX_MONO],
                                      d.marked[IDC_BAUD_45], d.marked[IDC_AFSK_TX]}),
                  c.marked);
        std::vector<std::string> twice = c.messages;
        twice.insert(twice.end(), c.messages.begin(), c.messages.end());
        EXPECT_EQ(rig.ui.boxTexts(), twice);
    }
}

TEST(SettingsDialog, OpeningSelectsTheStoredEndpointsAndShowsTheStoredValues) {
    SettingsRig rig;
    rig.settings.set("Spacefrequency", "45");
    FakeDialog& dialog = rig.openDialog();
    EXPECT_EQ(dialog.selectedListItem(IDC_INPUT_LIST), 0);  // matched ignoring case
    EXPECT_EQ(dialog.selectedListItem(IDC_OUTPUT_LIST), 0);
    EXPECT_EQ(dialog.texts[IDC_SPACE], "  045");
    EXPECT_EQ(dialog.texts[IDC_WIDTH], "  425");  // the spectrum's 115 bins at 12000 samples/s
    // Swap trades the tones; it and the tone pair's button hand the keyboard to OK.
    rig.settingsDialog.command(dialog, IDC_SWAP);
    EXPECT_EQ(dialog.texts[IDC_MARK] + "|" + dialog.texts[IDC_SPACE], "  045| 2125");
    rig.settingsDialog.command(dialog, IDC_TONE_PAIR);
    EXPECT_EQ(dialog.focused, (std::vector<int>{kOkButton, kOkButton}));

    // A stored name no endpoint has keeps the index found last; no endpoints at all: a
    // message and an empty list.
    rig.settings.set("RXnameid", "Gone");
    rig.devices.outputEndpoints.clear();
    rig.devices.inputEndpoints = {"Microphone", "Line In", "USB Codec"};
    rig.settingsDialog.selectedIndex = 2;
    FakeDialog& again = rig.openDialog();
    EXPECT_EQ(again.selectedListItem(IDC_INPUT_LIST), 2);
    EXPECT_EQ(again.selectedListItem(IDC_OUTPUT_LIST), kNoListItem);
    EXPECT_EQ(rig.ui.messageBoxes().front(),
              (UiMessageBox{kNoOutputsMessage, "Kestrel Error", kMbOk | kMbTopMost}));
}

// A tone outside 250-3000 Hz is refused with its own message; the other, an edge, is taken.
TEST(SettingsDialog, OkRefusesEachToneOutOfRange) {
    const struct {
        const char *mark, *space;
        double wantMark, wantSpace;
        std::vector<std::string> messages;
    } cases[] = {
        {"abc", "2000", 2125, 2000, {kMarkToneMessage}},
        {"3000", "3001", 3000, 2295, {kSpaceToneMessage}},
        {"250", "249", 250, 2295, {kSpaceToneMessage}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.space);
        SettingsRig rig;
        FakeDialog& dialog = rig.openDialog();
        dialog.texts[IDC_MARK] = c.mark;
        dialog.texts[IDC_SPACE] = c.space;
        rig.settingsDialog.command(dialog, kOkButton);
        EXPECT_EQ(rig.state.markFrequency, c.wantMark);
        EXPECT_EQ(rig.state.spaceFrequency, c.wantSpace);
        EXPECT_EQ(rig.ui.boxTexts(), c.messages);
    }
}

// The input is kept when none is selected; TXid is the device of the endpoint's first 31
// characters. Leaving a keyer mode brings the sound output back. Too narrow a spectrum is
// the narrowest.
TEST(SettingsDialog, OkAppliesDevicesChannelsSpeedAndMode) {
    SettingsRig rig;
    rig.state.TXmode = 3;
    FakeDialog& dialog = rig.openDialog();
    dialog.selectListItem(IDC_INPUT_LIST, kNoListItem);
    dialog.selectListItem(IDC_OUTPUT_LIST, 1);
    rig.state.rxDeviceId = 7;
    for (int id : {IDC_RX_RIGHT, IDC_TX_LEFT, IDC_BAUD_75, IDC_AFSK_TX})
        rig.settingsDialog.command(dialog, id);
    dialog.texts[IDC_WIDTH] = "10";
    rig.settingsDialog.command(dialog, kOkButton);
    EXPECT_EQ(rig.state.FFTDisplay, 115);
    EXPECT_EQ(rig.settings.value("RXid"), "7");
    EXPECT_EQ(rig.settings.value("TXid"), "2");
    EXPECT_EQ(rig.state.RXChannel, 2);
    EXPECT_EQ(rig.state.txSoundState, 3);
    EXPECT_EQ(rig.state.sampleRate, 19800);  // 75 baud's
    EXPECT_EQ(rig.ui.statusText(kNetStatusPart), "Net On");
    EXPECT_EQ(rig.state.netOn, 1);
    EXPECT_EQ(rig.calls, (std::vector<std::string>{"capture", "playback", "com names"}));
    // An input chosen from the list is stored by its name.
    rig.openDialog().selectListItem(IDC_INPUT_LIST, 1);
    rig.settingsDialog.command(rig.dialog, kOkButton);
    EXPECT_EQ(rig.settings.value("RXnameid"), "Microphone");
}

struct PortRig : AppRig {
    PortRig() { system.devices = {"COM0", "COM3", "COM12"}; }
    std::string written() {
        std::string out;
        for (const auto& [key, value] : settings.writes) out += key + "=" + value + " ";
        return out;
    }
    // Opens the dialog, picks the entry named port (none when empty), presses the
    // buttons, then OK.
    void run(int templateId, const std::string& port, const std::vector<int>& buttons) {
        dialogs.open(dialog, templateId);
        const auto& listed = dialog.lists[IDC_PORT_LIST];
        const auto it = std::find(listed.begin(), listed.end(), port);
        dialog.selectListItem(IDC_PORT_LIST,
                              it == listed.end() ? kNoListItem : int(it - listed.begin()));
        for (int id : buttons) dialogs.command(dialog, templateId, id);
        dialogs.command(dialog, templateId, kOkButton);
    }

    SettingsStrings strings;
    FakeClock clock;
    FakeSerialPorts system;
    ComPorts ports{system, ui};
    TxBuffer txBuffer{state, logger, ui};
    TinyFsk tiny{state, ports, txBuffer, clock, logger, ui};
    PortDialogs dialogs{state, settings, strings, ports, tiny, ui};
    FakeDialog dialog;
};

// The PTT dialog lists from COM0, the keyer dialogs from COM1; the FSK dialog shows the
// stored keying sense, and it and the PTT dialog the stored PTT line. Cancel stores nothing.
TEST(PortDialogs, EachListsItsRangeOfPortsAndPreselectsTheStoredOne) {
    PortRig rig;  // one for the three: nothing of one opening is left in the next
    for (const int templateId : {IDD_PTT_SETUP, IDD_FSK_SETUP, IDD_TINY_PORT}) {
        rig.dialog = {};
        rig.strings.pttPortName = "COM3";
        rig.strings.fskPortName = "COM9";  // gone
        rig.state.fskInvert = 1;
        rig.state.pttLine = 2;  // RTS
        rig.dialogs.open(rig.dialog, templateId);
        const bool ptt = templateId == IDD_PTT_SETUP;
        EXPECT_EQ(rig.dialog.lists[IDC_PORT_LIST].front(), ptt ? "COM0" : "COM3");
        EXPECT_EQ(rig.dialog.lists[IDC_PORT_LIST].back(), "COM12");
        EXPECT_EQ(rig.dialog.selectedListItem(IDC_PORT_LIST), ptt ? 1 : kNoListItem);
        EXPECT_EQ(rig.dialog.marked[IDC_NORMAL], templateId == IDD_FSK_SETUP ? IDC_INVERT : 0);
        EXPECT_EQ(rig.dialog.marked[IDC_PTT_NO], templateId != IDD_TINY_PORT ? IDC_PTT_RTS : 0);
        rig.dialogs.command(rig.dialog, templateId, kCancelButton);
        EXPECT_EQ(rig.dialog.ended, kPortDialogCancelled);
        EXPECT_EQ(rig.written(), "");
    }
}

// OK without a port where one is needed asks for one and keeps the dialog open.
TEST(PortDialogs, OkStoresThePortAndLinesOrAsksForAPort) {
    const struct {
        int dialog;
        const char* port;
        std::vector<int> buttons;
        std::string writes;  // none: refused
    } cases[] = {
        {IDD_PTT_SETUP, "COM3", {IDC_PTT_RTS}, "PTT=2 PTTCOMport=COM3 "},
        {IDD_PTT_SETUP, "", {IDC_PTT_NO}, "PTT=0 PTTCOMport=NONE "},
        {IDD_PTT_SETUP, "", {IDC_PTT_DTR}, ""},
        {IDD_FSK_SETUP, "", {}, ""},
        {IDD_TINY_PORT, "", {}, ""},
        {IDD_TINY_PORT, "COM3", {IDC_MARK_LOW}, "FSKCOMport=COM3 PTTCOMport=NONE Markpolarity=L "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dialog << " " << c.port);
        PortRig rig;
        rig.strings.markPolarity = "H";
        rig.run(c.dialog, c.port, c.buttons);
        EXPECT_EQ(rig.written(), c.writes);
        EXPECT_EQ(rig.dialog.ended, c.writes.empty() ? -1 : 1);
        EXPECT_EQ(rig.ui.boxTexts(), c.writes.empty() ? std::vector<std::string>{kSelectPortMessage}
                                                      : std::vector<std::string>{});
    }
    // The PTT port is open with its lines cleared; the keyer's port is opened plain.
    PortRig ptt;
    ptt.run(IDD_PTT_SETUP, "COM3", {IDC_PTT_DTR});
    ASSERT_NE(ptt.ports.pttPort.load(), nullptr);
    EXPECT_TRUE(ptt.system.journal("DTR on").empty());
    EXPECT_EQ(ptt.state.pttLine, 1);
    PortRig tiny;
    tiny.state.pttLine = 2;
    tiny.run(IDD_TINY_PORT, "COM3", {});
    EXPECT_EQ(tiny.system.journal("open"), std::vector<std::string>{"open \\\\.\\COM3 plain"});
}

struct MenuCommandsTest : ::testing::Test, AppRig {
    FakeFileDialogs dialogs;
    NoSaveTextFile textFile;
    FakeDocumentViewer documents;
    MenuCommands menu{
        app, dialogs, textFile, documents, "C:\\Radio\\Kestrel.exe", "C:\\Radio\\Kestrel.ini"};
};

TEST_F(MenuCommandsTest, SaveTextCancelledOrToAFileThatCannotBeOpenedStaysOff) {
    menu.menuCommand(IDM_SAVE_TEXT);  // cancelled
    dialogs.answer = {0x3003, ""};    // the dialog failed: its buffer was too small
    menu.menuCommand(IDM_SAVE_TEXT);
    EXPECT_TRUE(ui.messageBoxes().empty());

    dialogs.answer = {kFileDialogConfirmed, "Q:\\nowhere\\x.txt"};
    menu.menuCommand(IDM_SAVE_TEXT);
    EXPECT_EQ(ui.messageBoxes(),
              (Boxes{{"Could not open file specified", "Kestrel Error", kMbTopMost}}));
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_EQ(state.saveTextActive, 0);
    EXPECT_TRUE(ui.menuChecks().empty());
}

// Save WAV while armed disarms at once, in the state, the menu and the file; the next
// time it opens the dialog again. A fresh start is not armed.
TEST_F(MenuCommandsTest, SaveWavWhileArmedDisarms) {
    EXPECT_EQ(menu.menuCommand(IDM_SAVE_WAV), MenuFollowUp::showRecordingDialog);
    state.saveWavActive = 1;
    EXPECT_EQ(menu.menuCommand(IDM_SAVE_WAV), MenuFollowUp::done);
    EXPECT_EQ(state.saveWavActive, 0);
    EXPECT_EQ(ui.menuChecks(), (std::vector<UiItemFlag>{{IDM_SAVE_WAV, false}}));
    EXPECT_EQ(settings.writes, (decltype(settings.writes){{"RXwavsave", "0"}}));
    EXPECT_EQ(menu.menuCommand(IDM_SAVE_WAV), MenuFollowUp::showRecordingDialog);
}

// Top Most goes on and off and on again: the window placed and the item marked each time.
// on again: its bit of the switch word cleared and set, the logger told each word.
TEST_F(MenuCommandsTest, TopMostAndSquelchToggleEveryTime) {
    for (const MenuFollowUp want :
         {MenuFollowUp::placeTopMost, MenuFollowUp::placeNotTopMost, MenuFollowUp::placeTopMost})
        EXPECT_EQ(menu.menuCommand(IDM_TOP_MOST), want);
    EXPECT_EQ(ui.menuChecks(),
              (std::vector<UiItemFlag>{
                  {IDM_TOP_MOST, true}, {IDM_TOP_MOST, false}, {IDM_TOP_MOST, true}}));
    state.SquelchState = 1;
    menu.menuCommand(IDM_SQUELCH_ON);
    menu.menuCommand(IDM_SQUELCH_ON);
    EXPECT_EQ(logger.values(TXM_SWITCH), (std::vector<std::int64_t>{13350, 13478}));
    menu.menuCommand(IDM_CONTEST_MODE);  // a receive option's mark follows it too
    EXPECT_EQ(ui.menuChecks().back(), (UiItemFlag{IDM_CONTEST_MODE, state.Contest == 1}));
}

// The panel, the spectrum beside it and the status bar below, never narrower than its texts
// need; a status part its texts make wider than the fixed layout's moves those after it.
TEST(MainWindowLayout, PanelSpectrumAndStatusBarParts) {
    const MainLayout layout = mainLayout(100, 200, 300, 10, 20, 19, 23, 0);
    EXPECT_EQ(layout.panel, (Placement{0, 0, 103, 203}));
    EXPECT_EQ(layout.spectrum, (Placement{106, 0, 300, kSpectrumHeight}));
    EXPECT_EQ(layout.window, (Placement{10, 20, 425, 284}));
    EXPECT_EQ(mainLayout(100, 200, 300, 10, 20, 19, 23, 600).window.width, 600);
    StatusTextWidths needed{};
    EXPECT_EQ(statusBarEdges(200, 300, needed), (std::array{38, 96, 146, 183, 261, 550}));
    needed = {0, 100, 0, 0, 0, 400};
    EXPECT_EQ(statusBarEdges(200, 600, needed), (std::array{38, 138, 188, 225, 303, 703}));
    EXPECT_EQ(statusBarTextsWidth(200, needed), 225);
}

// Every "-r" and "-h" counts, also inside a value; the handle is the last one's hex digits
// up to the first other character, at most 13 of them, saturated at 32 bits.
TEST(CommandLine, SwitchesAreCountedAndTheLastHandleIsTaken) {
    const struct {
        const wchar_t* line;
        int switches;
        std::int64_t window;
    } cases[] = {
        {L"-r -h1a2b3C", 2, 0x1A2B3C},  {L"-h -r", 2, 0},
        {L"-h12G4 -r", 2, 0x12},        {L"-h\t5", 1, 0},
        {L"-R -H12 /r -", 0, 0},        {L"-r -r -h10 -h20", 4, 0x20},
        {L"-hAB-r", 2, 0xAB},           {L"-h7FFFFFFF", 1, 0x7FFFFFFF},
        {L"-h80000000", 1, 0x7FFFFFFF}, {L"-h0000000000000000000001", 1, 0},
        {L"-h0000000000001", 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.line << '"');
        const CommandLine cl = parseCommandLine(c.line);
        EXPECT_EQ(cl.startSwitchCount, c.switches);
        EXPECT_EQ(cl.loggerWindow, c.window);
    }
}

// Computers Kestrel cannot meet under Wine, which reports the host's: each refusal names
// the requirement missed (the first of them) and points to no other Kestrel.
TEST(PlatformChecks, ARefusalNamesWhatTheComputerLacks) {
    struct Facts final : PlatformFactsPort {
        PlatformFacts facts;
        PlatformFacts probePlatform() override { return facts; }
    };
    const struct {
        PlatformFacts facts;
        const char* names;  // nullptr: accepted
    } cases[] = {{{true, true, true}, nullptr},
                 {{false, false, false}, "Windows 8"},
                 {{true, false, false}, "64bit"},
                 {{true, true, false}, "AVX"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.names ? c.names : "accepted");
        Facts platform;
        platform.facts = c.facts;
        RecordingUi ui;
        EXPECT_EQ(platformAccepted(platform, ui), c.names == nullptr);
        const auto texts = ui.boxTexts();
        ASSERT_EQ(texts.size(), c.names ? 1u : 0u);
        if (!c.names) continue;
        EXPECT_NE(texts[0].find(c.names), std::string::npos) << texts[0];
        EXPECT_EQ(texts[0].find("version"), std::string::npos) << texts[0];
    }
}

}  // namespace
}  // namespace kestrel
