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
