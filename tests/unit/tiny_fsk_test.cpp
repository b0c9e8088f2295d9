#include "transmit/tiny_fsk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_clock_port.h"
#include "fakes/fake_logger_port.h"
#include "fakes/fake_serial_port.h"
#include "fakes/fake_ui_port.h"
#include "transmit/tx_buffer.h"

namespace kestrel {
namespace {

// A TinyFSK keyer on COM7, opened as the program opens it.
struct TinyRig {
    TinyRig() {
        system.devices = {"COM7"};
        system.timeSource = [this] { return clock.now; };
        logger.onPost = [this](std::uint32_t code, std::int64_t value) {
            system.note("post " + std::to_string(code) + " " + std::to_string(value));
        };
        EXPECT_EQ(openTinyPort(tiny, "COM7"), 0);
        keyer = system.port();
    }
    // Sets up the keyer's answer to "~?", with whatever was pending before it.
    std::vector<std::string> boxTexts() const {
        std::vector<std::string> out;
        for (const auto& box : ui.messageBoxes()) out.push_back(box.text);
        return out;
    }

    ModemState state;
    FakeSerialPorts system;
    RecordingUi ui;
    ComPorts ports{system, ui};
    RecordingLogger logger;
    TxBuffer buffer{state, logger, ui};
    FakeClock clock;  // 10 ticks a microsecond
    TinyFsk tiny{state, ports, buffer, clock, logger, ui};
    FakeSerialPort* keyer = nullptr;
};

TEST(TinyFskPort, EachFailureHasItsMessage) {
    TinyRig rig;
    rig.system.openErrors = {{"COM8", SerialOpenError::accessDenied},
                             {"COM9", SerialOpenError::other}};
    EXPECT_EQ(openTinyPort(rig.tiny, "COM6"), 1);
    EXPECT_EQ(openTinyPort(rig.tiny, "COM8"), 1);
    EXPECT_EQ(openTinyPort(rig.tiny, "COM9"), 1);
    for (const char* step : {"timeouts", "buildState", "queues", "writeState"}) {
        rig.system.prepare = [step](FakeSerialPort& p) { p.failing = {step}; };
        EXPECT_EQ(openTinyPort(rig.tiny, "COM7"), 1) << step;
    }
    EXPECT_EQ(
        rig.boxTexts(),
        (std::vector<std::string>{
            "Kestrel Unable to Open TinyFSK COM port\nCOM port unavailble",
            "Kestrel Unable to Open TinyFSK COM port\nCOM port in use by other software?",
            "Kestrel Unable to Open TinyFSK COM port", "TinyFSK, Could not set com port time-outs",
            "DCB build failed for tinyFSK COM port", "SetupCom failed for COM port",
            "SetCommState failed for COM port"}));
    for (const auto& box : rig.ui.messageBoxes()) EXPECT_EQ(box.flags, unsigned{kMbTopMost});
}

// The keyer echoes each character it is given; after "]" it reports the end of its text
// with the status bytes `status`, one chunk per read.
void scriptKeyer(TinyRig& rig, std::vector<std::string> status) {
    rig.keyer->onWrite = [status](FakeSerialPort& p, const std::string& bytes) {
        if (bytes == "]")
            for (const auto& chunk : status) p.arrive(chunk);
        else if (bytes != "[" && bytes != "\\")
            p.arrive(bytes);
    };
}

// The logger's notifications: echoed characters as themselves, the end as "PTT 0".
std::string posts(const TinyRig& rig) {
    std::string out;
    for (const auto& p : rig.logger.posts())
        out += p.code == 32771 ? std::string(1, static_cast<char>(p.value))
                               : "PTT " + std::to_string(p.value) + (p.code == 32772 ? "" : "?");
    return out;
}

TEST(TinyFskTx, SendsBracketedUpperCaseTextAndEndsOnThreeStatusBytes) {
    TinyRig rig;
    rig.state.tinyConfigured = 1;
    for (char c : std::string("cq de")) rig.buffer.txBuffer(static_cast<std::uint8_t>(c), TXB_ADD);
    rig.keyer->arrive("stale");
    scriptKeyer(rig, {"a b\r\nc"});
    rig.state.txState = 1;
    rig.clock.at(3300000, [&rig] { rig.state.txState = 4; });
    launchTinyTxThread(rig.tiny).join();

    EXPECT_EQ(rig.keyer->written, "[CQ DE]\\");
    EXPECT_EQ(posts(rig), "CQ DE \r\nPTT 0");
    EXPECT_EQ(rig.state.txState.load(), 0);
    EXPECT_EQ(rig.clock.sleeps, std::vector<std::uint32_t>(11, 33));  // ten passes, then "\"
    EXPECT_TRUE(rig.ui.messageBoxes().empty());
}

}  // namespace
}  // namespace kestrel
