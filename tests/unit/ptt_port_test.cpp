#include "transmit/ptt_port.h"

#include <gtest/gtest.h>

#include "fakes/fake_serial_port.h"
#include "fakes/fake_ui_port.h"

namespace kestrel {
namespace {

struct PttPortTest : testing::Test {
    PttPortTest() { system.devices = {"COM3", "COM4"}; }

    std::vector<std::string> lineEvents() const {
        std::vector<std::string> out;
        for (const auto& e : system.journal())
            if (e.rfind("DTR", 0) == 0 || e.rfind("RTS", 0) == 0 || e.rfind("break", 0) == 0)
                out.push_back(e);
        return out;
    }

    FakeSerialPorts system;
    RecordingUi ui;
    ComPorts ports{system, ui};
    ModemState state;
};

TEST_F(PttPortTest, OpeningClosesTheFskPortAndClearsBothLinesAndBreak) {
    SerialOpenError error;
    ports.fskPort.store(system.open("\\\\.\\COM4", SerialAccess::overlapped, error));
    EXPECT_EQ(openPttPort(ports, "COM3", kPttRts), 1);
    EXPECT_EQ(ports.fskPort.load(), nullptr);
    EXPECT_EQ(system.journal(),
              (std::vector<std::string>{"open \\\\.\\COM4 overlapped", "close",
                                        "open \\\\.\\COM3 overlapped", "readState",
                                        "queues 4096/4096", "DTR off", "RTS off", "break off"}));
    EXPECT_TRUE(ui.messageBoxes().empty());
}

TEST_F(PttPortTest, LineNoneOnlyClosesThePorts) {
    ASSERT_EQ(openPttPort(ports, "COM3", kPttDtr), 1);
    EXPECT_EQ(openPttPort(ports, "NONE", kPttNone), 0);
    EXPECT_EQ(ports.pttPort.load(), nullptr);
    EXPECT_EQ(system.journal("open").size(), 1u);
}

TEST_F(PttPortTest, FailuresAreReportedWithTheirOwnTexts) {
    EXPECT_EQ(openPttPort(ports, "COM9", kPttDtr), 0);
    system.prepare = [](FakeSerialPort& p) { p.failing = {"readState", "close"}; };
    EXPECT_EQ(openPttPort(ports, "COM3", kPttDtr), 0);
    ASSERT_NE(ports.pttPort.load(), nullptr);  // left open: its lines still switch
    EXPECT_EQ(openPttPort(ports, "NONE", kPttNone), 0);

    auto boxes = ui.messageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "Unable to Open PTT COM port\nCOM port may be in use or absent");
    EXPECT_EQ(boxes[0].caption, "");
    EXPECT_EQ(boxes[0].flags, unsigned{kMbTopMost});
    EXPECT_EQ(boxes[1].text, "Getcommstate failed for PTT COM port");
    EXPECT_EQ(boxes[1].flags, unsigned{kMbOk});
    EXPECT_EQ(boxes[2].text, "Unable to close PTT COM port\n file TX_PTT line 29");
    EXPECT_EQ(boxes[2].caption, "Kestrel Error");
    EXPECT_EQ(ports.pttPort.load(), nullptr);

    system.prepare = [](FakeSerialPort& p) { p.failing = {"queues"}; };
    EXPECT_EQ(openPttPort(ports, "COM3", kPttDtr), 0);
    EXPECT_EQ(ui.messageBoxes().back().text, "SetupCom failed for PTT COM port");
}

TEST_F(PttPortTest, SetPttSwitchesTheChosenLineOfThePortOfTheMode) {
    ComPttSwitch ptt(ports, state);
    state.TXmode = 0;
    state.pttLine = kPttNone;
    ptt.setPtt(true);  // no port yet, and no line: nothing to do

    ASSERT_EQ(openPttPort(ports, "COM3", kPttRts), 1);
    ptt.setPtt(true);
    state.pttLine = kPttRts;
    ptt.setPtt(true);
    ptt.setPtt(false);
    EXPECT_EQ(lineEvents(),
              (std::vector<std::string>{"DTR off", "RTS off", "break off", "RTS on", "RTS off"}));

    // In FSK mode the same call keys the FSK port, here only open as such.
    ports.fskPort.store(ports.pttPort.exchange(nullptr));
    ptt.setPtt(true);
    state.TXmode = 3;
    state.pttLine = kPttDtr;
    ptt.setPtt(true);
    EXPECT_EQ(lineEvents().back(), "DTR on");
    EXPECT_EQ(lineEvents().size(), 6u);
}

}  // namespace
}  // namespace kestrel
