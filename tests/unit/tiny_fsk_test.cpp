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
    void answerQuery(const std::string& reply, const std::string& pending = "") {
        keyer->arrive(pending);
        keyer->onWrite = [reply](FakeSerialPort& p, const std::string& bytes) {
            if (bytes == "~?") p.arrive(reply);
        };
    }
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

TEST(TinyFskPort, OpensAt9600WithReadsThatReturnAtOnce) {
    TinyRig rig;
    EXPECT_EQ(rig.system.journal(), (std::vector<std::string>{"open \\\\.\\COM7 plain", "timeouts",
                                                              "readState", "buildState 9600,n,8,1",
                                                              "queues 1024/1024", "writeState"}));
    EXPECT_EQ(rig.keyer->timeouts.readInterval, kSerialMaxTimeout);
    EXPECT_EQ(rig.keyer->timeouts.readTotalConstant, 0u);
    EXPECT_EQ(rig.keyer->timeouts.writeTotalConstant, 0u);

    rig.state.tinyConfigured = 1;
    EXPECT_EQ(openTinyPort(rig.tiny, "COM7"), 0);  // reopening closes first and unconfigures
    EXPECT_EQ(rig.system.journal()[6], "close");
    EXPECT_EQ(rig.state.tinyConfigured.load(), 0);
}

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

// The keyer's answer to "~?" and what Kestrel makes of it. Messages are topmost, with the
// system's caption unless one is given after a "|".
TEST(TinyFskConfig, SpeedAndPolarityAreCheckedAndCorrected) {
    struct Case {
        std::string reply;
        int baudIndex;
        std::string polarity;
        std::string sent;
        std::vector<std::string> boxes;
        int configured;
    };
    const std::string notFound =
        "TinyFSK not found,\nPlease connect TinyFSK\nThen go to Kestrel setup|Kestrel Report";
    const std::string speedError =
        "Kestrel Speed data error 263\n quitting thread early|Kestrel Error";
    const Case cases[] = {
        {"~?\r\nSPEED 45 MARK HIGH\r\n", 1, "L", "~?~5~1", {}, 1},
        {"SPEED 75 MARK HIGH", 2, "H", "~?", {}, 1},
        {"speed 50 mark low", 1, "H", "~?~0", {}, 1},
        {"SPEED 45 MARK LOW", 0, "L", "~?", {}, 1},
        {"", 0, "H", "~?", {notFound}, 0},
        {"SPEED 45 MARK HIGH ~?", 0, "H", "~?", {notFound}, 0},  // only after the echo
        {std::string("~?\0SPEED 45", 11), 0, "H", "~?", {notFound}, 0},
        {"~?SPEED 61", 0, "H", "~?", {speedError}, 0},
        {"?SPEED 45", 0, "H", "~?", {"Kestrel can't find MARK"}, 1},
        {"?SPEED 45 MARK ???", 0, "H", "~?", {"Kestrel can't find High or LOW"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        TinyRig rig;
        rig.answerQuery(c.reply, "stale bytes");
        rig.keyer->arrive("more stale bytes");
        rig.state.baudIndex = c.baudIndex;
        tinyConfigThread(rig.tiny, c.polarity);
        EXPECT_EQ(rig.keyer->written, c.sent);
        std::vector<std::string> boxes;
        for (const auto& box : rig.ui.messageBoxes()) {
            boxes.push_back(box.caption.empty() ? box.text : box.text + "|" + box.caption);
            EXPECT_EQ(box.flags, unsigned{kMbTopMost});
        }
        EXPECT_EQ(boxes, c.boxes);
        EXPECT_EQ(rig.state.tinyConfigured.load(), c.configured);
        EXPECT_EQ(rig.clock.sleeps, (std::vector<std::uint32_t>{2000, 500}));
    }
}

TEST(TinyFskConfig, ShortWritesAreReported) {
    TinyRig rig;
    // The keyer takes the query whole, then only one byte of each command.
    rig.keyer->onWrite = [](FakeSerialPort& p, const std::string& bytes) {
        if (bytes != "~?") return;
        p.arrive("?SPEED 45 MARK LOW");
        p.writeLimit = 1;
    };
    rig.state.baudIndex = 2;
    tinyConfigThread(rig.tiny, "H");
    rig.keyer->writeLimit = 0;
    tinyConfigThread(rig.tiny, "H");
    EXPECT_EQ(rig.boxTexts(),
              (std::vector<std::string>{"Tiny TX WriteFile ~4 error", "Tiny TX WriteFile ~0 error",
                                        "Error in Writefile sending ~? to Tiny",
                                        "TinyFSK not found,\nPlease connect TinyFSK\nThen go to "
                                        "Kestrel setup"}));
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

// {TX} and {RX} from the logger in one breath: the end request is there before the thread
// starts sending, and must still reach the keyer.
TEST(TinyFskTx, AnEndRequestBeforeTheFirstPassIsKept) {
    TinyRig rig;
    rig.state.tinyConfigured = 1;
    rig.buffer.txBuffer('X', TXB_ADD);
    scriptKeyer(rig, {"abc"});
    rig.state.txState = 4;
    tinyTxThread(rig.tiny);
    EXPECT_EQ(rig.keyer->written, "[]X\\");
    EXPECT_EQ(rig.state.txState.load(), 0);
}

TEST(TinyFskTx, PrintableTextBetweenStatusBytesRestartsTheCount) {
    TinyRig rig;
    rig.state.tinyConfigured = 1;
    scriptKeyer(rig, {"aKbc", "d"});
    rig.state.txState = 1;
    rig.clock.at(330000, [&rig] { rig.state.txState = 4; });
    tinyTxThread(rig.tiny);
    EXPECT_EQ(rig.keyer->written, "[]\\");
    EXPECT_EQ(posts(rig), "KPTT 0");
    EXPECT_EQ(rig.clock.now, 3 * 330000);  // "aKbc" did not end it, "d" did
}

TEST(TinyFskTx, EscapeSendsBackslashWithinOnePass) {
    TinyRig rig;
    rig.state.tinyConfigured = 1;
    for (char c : std::string("TEST")) rig.buffer.txBuffer(static_cast<std::uint8_t>(c), TXB_ADD);
    rig.state.txState = 1;
    rig.clock.at(700000, [&rig] { rig.state.txState = 0; });
    tinyTxThread(rig.tiny);
    auto events = rig.system.events();
    ASSERT_GE(events.size(), 3u);
    std::vector<std::string> tail;
    for (auto e = events.end() - 3; e != events.end(); ++e) tail.push_back(e->what);
    EXPECT_EQ(tail, (std::vector<std::string>{"cancel", "write \\", "post 32772 0"}));
    EXPECT_EQ(events.back().at, 990000);
    EXPECT_EQ(rig.keyer->written, "[TE\\");
}

TEST(TinyFskTx, AnUnconfiguredKeyerEndsTheTransmissionAtOnce) {
    TinyRig rig;
    rig.state.txState = 1;
    tinyTxThread(rig.tiny);
    EXPECT_EQ(rig.clock.sleeps, std::vector<std::uint32_t>(19, 10));
    EXPECT_EQ(rig.boxTexts(), std::vector<std::string>{
                                  "Kestrel TinyFSK config taking too long\nTinyFSK connected?"});
    EXPECT_EQ(rig.state.txState.load(), 0);
    EXPECT_EQ(posts(rig), "PTT 0");
    EXPECT_EQ(rig.keyer->written, "");
}

TEST(TinyFskTx, FailedReadsAndWritesAreReportedAndSendingGoesOn) {
    TinyRig rig;
    rig.state.tinyConfigured = 1;
    rig.keyer->failing = {"read"};
    rig.keyer->errorNumber = 5;
    rig.keyer->writeLimit = 0;
    rig.buffer.txBuffer('X', TXB_ADD);
    rig.state.txState = 1;
    rig.clock.at(660000, [&rig] { rig.state.txState = 4; });
    rig.clock.at(990000, [&rig] { rig.state.txState = 0; });
    tinyTxThread(rig.tiny);
    EXPECT_EQ(rig.boxTexts(),
              (std::vector<std::string>{
                  "Tiny TX WriteFile [ error", "Tiny TX WriteFile character send error",
                  "TinyFSK TX, GetLastError=00005", "Tiny TX WriteFile ] error",
                  "TinyFSK TX, GetLastError=00005", "Tiny TX WriteFile \\ error 67"}));
}

}  // namespace
}  // namespace kestrel
