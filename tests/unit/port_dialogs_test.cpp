#include "app/port_dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ui_ids.h"
#include "fakes/fake_clock_port.h"
#include "fakes/fake_dialog_port.h"
#include "fakes/fake_logger_port.h"
#include "fakes/fake_serial_port.h"
#include "fakes/fake_settings_access.h"
#include "fakes/fake_ui_port.h"
#include "transmit/tx_buffer.h"

namespace kestrel {
namespace {

struct PortRig {
    PortRig() { system.devices = {"COM0", "COM3", "COM12"}; }
    std::vector<std::string> boxTexts() const {
        std::vector<std::string> out;
        for (const auto& box : ui.messageBoxes()) out.push_back(box.text);
        return out;
    }
    std::string written() {
        std::string out;
        for (const auto& [key, value] : settings.writes) out += key + "=" + value + " ";
        return out;
    }
    // Opens the dialog, picks the entry named port (none when empty), presses the
    // buttons, then OK.
    void run(int templateId, const std::string& port, const std::vector<int>& buttons) {
        dialogs.open(dialog, templateId);
        int index = kNoListItem;
        for (std::size_t i = 0; i < dialog.lists[kPortList].size(); ++i)
            if (dialog.lists[kPortList][i] == port) index = static_cast<int>(i);
        dialog.selectListItem(kPortList, index);
        for (int id : buttons) dialogs.command(dialog, templateId, id);
        dialogs.command(dialog, templateId, kOkButton);
    }

    ModemState state;
    MemorySettings settings;
    SettingsStrings strings;
    RecordingUi ui;
    RecordingLogger logger;
    FakeClock clock;
    FakeSerialPorts system;
    ComPorts ports{system, ui};
    TxBuffer txBuffer{state, logger, ui};
    TinyFsk tiny{state, ports, txBuffer, clock, logger, ui};
    PortDialogs dialogs{state, settings, strings, ports, tiny, ui};
    FakeDialog dialog;
};

TEST(PortDialogs, EachListsItsRangeOfPortsAndPreselectsTheStoredOne) {
    for (const int templateId : {kPttSetupDialog, kFskSetupDialog, kTinyPortDialog}) {
        PortRig rig;
        rig.strings.pttPortName = "COM12";
        rig.strings.fskPortName = "COM9";  // gone
        rig.dialogs.open(rig.dialog, templateId);
        const bool ptt = templateId == kPttSetupDialog;
        const std::vector<std::string> listed =
            ptt ? std::vector<std::string>{"COM0", "COM3", "COM12"}
                : std::vector<std::string>{"COM3", "COM12"};
        EXPECT_EQ(rig.dialog.lists[kPortList], listed);
        EXPECT_EQ(rig.dialog.selectedListItem(kPortList), ptt ? 2 : kNoListItem);
    }
}

TEST(PortDialogs, SoundCardPttOkRules) {
    struct Case {
        const char* port;
        int button;
        std::string writes;
        int ended;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        {"COM3", kPttRtsButton, "PTT=2 PTTCOMport=COM3 ", 1, {}},
        {"", kPttNoButton, "PTT=0 PTTCOMport=NONE ", 1, {}},
        {"", kPttDtrButton, "", -1, {kSelectPortMessage}},
    };
    for (const Case& c : cases) {
        PortRig rig;
        rig.run(kPttSetupDialog, c.port, {c.button});
        EXPECT_EQ(rig.written(), c.writes) << c.port << c.button;
        EXPECT_EQ(rig.dialog.ended, c.ended);
        EXPECT_EQ(rig.boxTexts(), c.messages);
    }
    // The chosen port is open with its lines cleared.
    PortRig rig;
    rig.run(kPttSetupDialog, "COM3", {kPttDtrButton});
    ASSERT_NE(rig.ports.pttPort.load(), nullptr);
    EXPECT_FALSE(rig.system.port()->dtr);
    EXPECT_EQ(rig.state.pttLine, 1);
}

TEST(PortDialogs, FskSetupKeepsPttOffTheKeyingLine) {
    struct Case {
        std::vector<int> buttons;
        int line, invert, ptt;
        bool pttDtrEnabled, pttRtsEnabled;
    };
    const std::vector<Case> cases = {
        {{kPttDtrButton}, 0, 0, 2, false, true},
        {{kFskLineRtsButton, kPttRtsButton}, 1, 0, 1, true, false},
        {{kFskLineTxdButton, kPttDtrButton, kInvertButton}, 2, 1, 1, true, true},
        {{kFskLineTxdButton, kPttNoButton}, 2, 0, 0, true, true},
    };
    for (const Case& c : cases) {
        PortRig rig;
        rig.run(kFskSetupDialog, "COM12", c.buttons);
        EXPECT_EQ(rig.dialog.ended, 1);
        EXPECT_EQ(rig.state.fskLine, c.line);
        EXPECT_EQ(rig.state.fskInvert, c.invert);
        EXPECT_EQ(rig.state.pttLine, c.ptt);
        EXPECT_EQ(rig.dialog.enabled[kPttDtrButton], c.pttDtrEnabled);
        EXPECT_EQ(rig.dialog.enabled[kPttRtsButton], c.pttRtsEnabled);
        EXPECT_EQ(rig.settings.value("FSKCOMport"), "COM12");
        EXPECT_EQ(rig.settings.value("PTTCOMport"), c.ptt != 0 ? "COM12" : "NONE");
        // Idle: the keying line at mark, PTT off.
        const FakeSerialPort* port = rig.system.port();
        EXPECT_EQ(port->dtr || port->rts || port->brk, c.invert == 1);
    }
    PortRig none;
    none.run(kFskSetupDialog, "", {});
    EXPECT_EQ(none.boxTexts(), std::vector<std::string>{kSelectPortMessage});
    EXPECT_EQ(none.dialog.ended, -1);
}

TEST(PortDialogs, TinyFskOpensTheKeyerPortAndStoresThePolarity) {
    PortRig rig;
    rig.state.pttLine = 2;
    rig.strings.markPolarity = "H";
    rig.run(kTinyPortDialog, "COM3", {kMarkLowButton});
    EXPECT_EQ(rig.dialog.ended, 1);
    EXPECT_EQ(rig.written(), "FSKCOMport=COM3 PTTCOMport=NONE Markpolarity=L ");
    EXPECT_EQ(rig.system.journal("open"), std::vector<std::string>{"open \\\\.\\COM3 plain"});
    rig.dialogs.command(rig.dialog, kTinyPortDialog, kCancelButton);
    EXPECT_EQ(rig.dialog.ended, 0);
}

}  // namespace
}  // namespace kestrel
