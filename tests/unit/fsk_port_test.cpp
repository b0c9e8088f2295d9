#include "transmit/fsk_port.h"

#include <gtest/gtest.h>

#include "fakes/fake_serial_port.h"
#include "fakes/fake_ui_port.h"

namespace kestrel {
namespace {

using A = SerialLineAction;

TEST(FskPort, LineActionsForEachLineAndPolarity) {
    struct Row {
        int line, invert;
        A mark, space;
    };
    for (Row r : {Row{0, 0, A::clearDtr, A::setDtr}, Row{0, 1, A::setDtr, A::clearDtr},
                  Row{1, 0, A::clearRts, A::setRts}, Row{1, 1, A::setRts, A::clearRts},
                  Row{2, 0, A::clearBreak, A::setBreak}, Row{2, 1, A::setBreak, A::clearBreak},
                  Row{9, 0, A::clearDtr, A::setDtr}}) {
        FskLineActions a = fskLineActions(r.line, r.invert);
        EXPECT_EQ(a.mark, r.mark) << r.line << "/" << r.invert;
        EXPECT_EQ(a.space, r.space) << r.line << "/" << r.invert;
    }
}

struct FskPortTest : testing::Test {
    FskPortTest() { system.devices = {"COM5", "COM6"}; }

    FakeSerialPorts system;
    RecordingUi ui;
    ComPorts ports{system, ui};
    ModemState state;
};

TEST_F(FskPortTest, OpeningClosesThePttPortAndIdlesTheLines) {
    SerialOpenError error;
    ports.pttPort.store(system.open("\\\\.\\COM6", SerialAccess::overlapped, error));
    state.fskLine = kFskTxd;
    state.fskInvert = 1;
    state.pttLine = 2;
    EXPECT_EQ(openFskPort(ports, state, "COM5"), 0);
    EXPECT_EQ(ports.pttPort.load(), nullptr);
    EXPECT_EQ(system.journal(),
              (std::vector<std::string>{
                  "open \\\\.\\COM6 overlapped", "close", "open \\\\.\\COM5 overlapped",
                  "readState", "queues 4096/4096", "break on", "DTR off", "RTS off", "RTS off"}));
}

TEST_F(FskPortTest, IdleLinesClearTheLinesThatDoNotKey) {
    SerialOpenError error;
    std::shared_ptr<SerialPort> port = system.open("\\\\.\\COM5", SerialAccess::overlapped, error);
    idleFskLines(port, kFskRts, 0, 1);
    idleFskLines(port, kFskDtr, 1, 2);
    EXPECT_EQ(system.journal(),
              (std::vector<std::string>{"open \\\\.\\COM5 overlapped", "RTS off", "DTR off",
                                        "DTR off", "DTR on", "RTS off", "RTS off"}));
}

TEST_F(FskPortTest, OpenFailuresNameTheCause) {
    system.openErrors = {{"COM5", SerialOpenError::accessDenied}, {"COM6", SerialOpenError::other}};
    EXPECT_EQ(openFskPort(ports, state, "COM7"), 1);
    EXPECT_EQ(openFskPort(ports, state, "COM5"), 1);
    EXPECT_EQ(openFskPort(ports, state, "COM6"), 1);
    system.openErrors.clear();
    system.prepare = [](FakeSerialPort& p) { p.failing = {"readState"}; };
    EXPECT_EQ(openFskPort(ports, state, "COM5"), 1);
    system.prepare = [](FakeSerialPort& p) { p.failing = {"queues"}; };
    EXPECT_EQ(openFskPort(ports, state, "COM5"), 1);

    std::vector<std::string> texts;
    for (const auto& box : ui.messageBoxes()) {
        texts.push_back(box.text);
        EXPECT_EQ(box.caption, "Kestrel FSK Error");
        EXPECT_EQ(box.flags, unsigned{kMbTopMost});
    }
    EXPECT_EQ(texts,
              (std::vector<std::string>{
                  "Kestrel Unable to Open FSK COM port\nCOM port unavailble",
                  "Kestrel Unable to Open FSK COM port\nCOM port in use by other software",
                  "Kestrel Unable to Open FSK COM port", "Kestrel Getcommstate failed for COM port",
                  "Kestrel SetupCom failed for COM port"}));
}

}  // namespace
}  // namespace kestrel
