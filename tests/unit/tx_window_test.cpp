#include "transmit/tx_window.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "platform/logger_codes.h"
#include "support/sound_rig.h"

namespace kestrel {
namespace {

class TxWindowTest : public ::testing::Test {
  protected:
    // Delivers characters as messages, with what the window posts to itself handled after
    // the message that posted it, in order.
    void send(const std::string& text) {
        for (char c : text) {
            queue.push_back(static_cast<std::uint8_t>(c));
            while (!queue.empty()) {
                const std::uint8_t next = queue.front();
                queue.pop_front();
                window.handleCharacter(next);
            }
        }
    }
    std::string unsent() const {
        std::string out;
        for (int i = rig.buffer.txTail; i != rig.buffer.txHead; i = (i + 1) % kTxRingSize)
            out += static_cast<char>(rig.buffer.txRing[i]);
        return out;
    }

    SoundRig rig;
    std::deque<std::uint8_t> queue;
    int fskStarts = 0, tinyStarts = 0, feederStarts = 0;
    TxWindow window{rig.state,
                    rig.buffer,
                    rig.output,
                    rig.ptt,
                    rig.logger,
                    {[this] { ++fskStarts; }, [this] { ++tinyStarts; }, [this] { ++feederStarts; },
                     [this](std::uint8_t c) { queue.push_back(c); }}};
};

TEST_F(TxWindowTest, LoggerTextWithTxStartsAndRxEndsAfterTheText) {
    send("cq test{TX}");
    EXPECT_EQ(unsent(), "CQ TEST");
    EXPECT_EQ(rig.state.txState, 3);  // both preamble frames queued
    EXPECT_EQ(rig.port.writtenIndices(), (std::vector<int>{0, 1}));
    EXPECT_EQ(rig.ptt.calls(), std::vector<bool>{true});
    EXPECT_EQ(rig.logger.posts(), (std::vector<LoggerPost>{{TXM_PTTEVENT, 1}}));
    send("{RX}");
    EXPECT_EQ(rig.state.txState, 4);
    EXPECT_EQ(unsent(), "CQ TEST");
    send("{TX}");  // already transmitting: nothing
    EXPECT_EQ(rig.state.txState, 4);
    EXPECT_EQ(rig.port.writes().size(), 2u);
}

TEST_F(TxWindowTest, RxWhileReceivingStartsATransmission) {
    send("{RX}");
    EXPECT_EQ(rig.state.txState, 3);
}

// A short brace command after a longer one does not reuse its letters: {C} is not {CR}.
TEST_F(TxWindowTest, CrKeyAddsCrLfAndBraceCrOnlyALineFeed) {
    send("A\rB{CR}C{cr}{C}");
    EXPECT_EQ(unsent(), "A\r\nB\nC\n");
}

TEST_F(TxWindowTest, BraceClAndUnknownCommandsChangeNothing) {
    send("{CL}{X}{}{{TX}");  // a brace inside a command is ignored: the last is {TX}
    EXPECT_EQ(unsent(), "");
    EXPECT_EQ(rig.state.txState, 3);
    send("{CL}");
    EXPECT_EQ(rig.state.txState, 3);
}

TEST_F(TxWindowTest, ABraceCommandEndsAtItsTenthCharacterWhichIsDropped) {
    send("{ABCDEFGHIJK");
    EXPECT_EQ(window.braceLength, 0);
    EXPECT_EQ(unsent(), "K");
    EXPECT_EQ(std::string(window.braceText.begin(), window.braceText.end()), "ABCDEFGHI");
    send("{TXABCDEFGZ");  // the tenth character still ends a command that acts
    EXPECT_EQ(rig.state.txState, 3);
    EXPECT_EQ(unsent(), "K");
}

TEST_F(TxWindowTest, CtrlTDuringThePreambleRequestsTheEnd) {
    rig.state.TXmode = 1;
    send("TEST\x14");
    EXPECT_EQ(rig.state.txState, 3);
    send("\x14");
    EXPECT_EQ(rig.state.txState, 4);
    EXPECT_EQ(unsent(), "TEST");
}

TEST_F(TxWindowTest, EscapeWhileReceivingKeepsTheTextForTheNextStart) {
    send("RST 599\x1b");
    EXPECT_EQ(unsent(), "RST 599");
    EXPECT_TRUE(rig.logger.posts().empty());
    EXPECT_EQ(rig.port.resets(), 0);
    send("\x14");
    EXPECT_EQ(rig.state.txState, 3);
    EXPECT_EQ(unsent(), "RST 599");
}

TEST_F(TxWindowTest, EscapeWhileTransmittingStopsEverythingAtOnce) {
    send("QRZ?\x14\x1b");
    EXPECT_EQ(rig.state.txState, 0);
    EXPECT_EQ(unsent(), "");
    EXPECT_EQ(rig.port.resets(), 1);
    EXPECT_EQ(rig.ptt.calls(), (std::vector<bool>{true, false}));
    EXPECT_EQ(rig.logger.posts(), (std::vector<LoggerPost>{{TXM_PTTEVENT, 1}, {TXM_PTTEVENT, 0}}));
}

TEST_F(TxWindowTest, EscapeInsideAnUnclosedBraceStillStopsTheTransmitter) {
    send("\x14{R\x1b");
    EXPECT_EQ(rig.state.txState, 0);
    EXPECT_EQ(window.braceLength, 0);
    send("E");
    EXPECT_EQ(unsent(), "E");
}

TEST_F(TxWindowTest, SerialModesStartTheirThreadAndQueueNoAudio) {
    rig.state.TXmode = 3;
    send("\x14");
    EXPECT_EQ(fskStarts, 1);
    EXPECT_EQ(rig.state.txState, 1);
    EXPECT_TRUE(rig.port.writes().empty());
    EXPECT_EQ(rig.logger.values(TXM_PTTEVENT), std::vector<std::int64_t>{1});
    send("\x1b");
    EXPECT_EQ(rig.port.resets(), 0);
    EXPECT_EQ(rig.logger.values(TXM_PTTEVENT), (std::vector<std::int64_t>{1, 0}));
    rig.state.TXmode = 4;
    send("\x14");
    EXPECT_EQ(tinyStarts, 1);
    EXPECT_EQ(fskStarts, 1);
}

TEST_F(TxWindowTest, ToneOffsetIsCapturedAtStartOnlyWhenNetIsOnAndAfcRuns) {
    struct Case {
        int netOn, afcOff;
        double expected;
    };
    for (const Case c : {Case{1, 0, -7.5}, Case{1, 1, 0.0}, Case{0, 0, 0.0}}) {
        SoundRig r;
        TxWindow w{r.state, r.buffer, r.output, r.ptt, r.logger, {}};
        r.state.netOn = c.netOn;
        r.state.afcOff = c.afcOff;
        r.state.averageOffset = -7.5;
        r.state.txToneOffset = 3.0;
        w.handleCharacter(kCtrlT);
        EXPECT_EQ(r.state.txToneOffset, c.expected) << c.netOn << c.afcOff;
        r.state.averageOffset = 20.0;  // the AFC moves on; the transmission keeps its offset
        TxFrame f;
        r.generators.generateFrame(f);
        EXPECT_EQ(r.state.txToneOffset, c.expected);
    }
}

TEST_F(TxWindowTest, KeysAreUpperCasedBackspaceDeletesAndHighCodesAreIgnored) {
    send("de k1abc\b\bXY");
    EXPECT_EQ(unsent(), "DE K1AXY");
    // Letters beyond ASCII whose low byte is Escape, Ctrl-T, Ctrl-V, "{" or "B".
    for (const std::uint64_t unit : {0xC1, 0x11B, 0x114, 0x116, 0x17B, 0x142}) {
        window.handleCharacter(unit);
    }
    window.handleCharacter(0x1'0000'0000'0042);  // only the UTF-16 unit is the character
    window.handleCharacter(0);
    EXPECT_EQ(unsent(), "DE K1AXYB");
    EXPECT_EQ(rig.state.txState.load(), 0);
    send("\x16");
    EXPECT_EQ(feederStarts, 1);
}

}  // namespace
}  // namespace kestrel
