#include "transmit/tx_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "fakes/fake_logger_port.h"
#include "fakes/fake_ui_port.h"
#include "platform/logger_codes.h"

namespace kestrel {
namespace {

class TxBufferTest : public ::testing::Test {
  protected:
    void add(const std::string& text) {
        for (char c : text) buffer.txBuffer(static_cast<std::uint8_t>(c), TXB_ADD);
    }
    std::string unsent() const {
        std::string out;
        for (int i = buffer.txTail; i != buffer.txHead; i = (i + 1) % kTxRingSize)
            out += static_cast<char>(buffer.txRing[i]);
        return out;
    }
    std::vector<int> nextCodes(int count) {
        std::vector<int> codes;
        for (int i = 0; i < count; ++i) codes.push_back(buffer.txBuffer(0, TXB_NEXT_CODE));
        return codes;
    }
    int code(char c) { return encodeBaudot(c) & kBaudotDataBits; }

    ModemState state;
    RecordingLogger logger;
    RecordingUi ui;
    TxBuffer buffer{state, logger, ui};
    const int ltrs = kBaudotLtrs, figs = kBaudotFigs;
};

TEST_F(TxBufferTest, RunsOfSpacesCollapseButAnyCharacterEndsTheRun) {
    add("A   B");
    EXPECT_EQ(unsent(), "A B");
    add(" % ");  // the dropped percent sign still ends the run
    EXPECT_EQ(unsent(), "A B  ");
}

TEST_F(TxBufferTest, CharactersWithoutCodeAreDroppedAndLowerCaseIsStoredAsTyped) {
    add("a`{b}\t");
    EXPECT_EQ(unsent(), "ab");
    EXPECT_TRUE(ui.messageBoxes().empty());
    EXPECT_EQ(nextCodes(3), (std::vector<int>{ltrs, code('A'), code('B')}));
    EXPECT_EQ(logger.values(TXM_CHAR), (std::vector<std::int64_t>{'a', 'b'}));
}

TEST_F(TxBufferTest, FiguresAreShiftedAndASpaceInFiguresLeavesTheCaseOpen) {
    add("12 34");
    EXPECT_EQ(nextCodes(8), (std::vector<int>{figs, code('1'), code('2'), code(' '), figs,
                                              code('3'), code('4'), figs}));
    EXPECT_EQ(buffer.txShift, kShiftFigures);
}

TEST_F(TxBufferTest, LettersAreShiftedOnceAndIdleFillRepeatsTheCase) {
    add("AB");
    EXPECT_EQ(nextCodes(5), (std::vector<int>{ltrs, code('A'), code('B'), ltrs, ltrs}));
    EXPECT_EQ(logger.values(TXM_CHAR), (std::vector<std::int64_t>{'A', 'B'}));
}

TEST_F(TxBufferTest, LineEndsLeaveTheCaseOpenSoTheNextLetterIsShifted) {
    add("AB\r\nC D");
    EXPECT_EQ(nextCodes(9), (std::vector<int>{ltrs, code('A'), code('B'), code('\r'), code('\n'),
                                              ltrs, code('C'), code(' '), code('D')}));
}

TEST_F(TxBufferTest, SpaceAfterALineEndIsPrecededByLetters) {
    add("5\r -");
    EXPECT_EQ(nextCodes(6), (std::vector<int>{figs, code('5'), code('\r'), ltrs, code(' '), figs}));
}

TEST_F(TxBufferTest, EmptyRingWithEndRequestedSendsOneLtrsAndEnds) {
    buffer.txShift = kShiftFigures;
    state.txState = 4;
    EXPECT_EQ(buffer.txBuffer(0, TXB_NEXT_CODE), ltrs);
    EXPECT_EQ(state.txState, 5);
    EXPECT_EQ(buffer.txShift, kShiftUndetermined);
    EXPECT_TRUE(logger.posts().empty());
}

TEST_F(TxBufferTest, EndRequestSendsWhatIsBufferedFirst) {
    add("E");
    state.txState = 4;
    EXPECT_EQ(nextCodes(2), (std::vector<int>{ltrs, code('E')}));
    EXPECT_EQ(state.txState, 4);
    EXPECT_EQ(nextCodes(1), std::vector<int>{ltrs});
    EXPECT_EQ(state.txState, 5);
}

TEST_F(TxBufferTest, DeleteOnlyReachesUnsentCharacters) {
    add("AB");
    nextCodes(2);  // LTRS, then A goes on air
    buffer.txBuffer(0, TXB_DELETE);
    buffer.txBuffer(0, TXB_DELETE);
    EXPECT_EQ(unsent(), "");
    EXPECT_EQ(buffer.txHead, 1);
    EXPECT_EQ(buffer.txTail, 1);
}

TEST_F(TxBufferTest, DeleteWrapsFromSlotZeroToTheLastSlot) {
    buffer.txHead = buffer.txTail = kTxRingSize - 1;
    add("XY");
    EXPECT_EQ(buffer.txHead, 1);
    buffer.txBuffer(0, TXB_DELETE);
    EXPECT_EQ(buffer.txHead, 0);
    buffer.txBuffer(0, TXB_DELETE);
    EXPECT_EQ(buffer.txHead, kTxRingSize - 1);
    EXPECT_EQ(buffer.txRing[0], 0);
    EXPECT_EQ(unsent(), "");
}

TEST_F(TxBufferTest, ThePenultimateSlotIsTheLastAcceptedAndTheNextCharacterIsLost) {
    buffer.txHead = buffer.txTail = 1234;  // fullness must not depend on where the ring stands
    for (int i = 0; i < kTxRingSize - 1; ++i) ASSERT_EQ(buffer.txBuffer('R', TXB_ADD), 0) << i;
    EXPECT_TRUE(ui.messageBoxes().empty());
    EXPECT_EQ(buffer.txBuffer('Y', TXB_ADD), kNoBaudotCode);
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_EQ(ui.messageBoxes()[0].text, "TX Keyboard Buffer Full\nCharacter lost");
    EXPECT_EQ(ui.messageBoxes()[0].flags, kMbIconInformation | kMbTopMost);
    EXPECT_EQ(buffer.lastAdded, 'Y');
    EXPECT_EQ(buffer.txHead, 1233);
    EXPECT_EQ(buffer.txBusy, 0);
    // Once the transmitter takes one, there is room again.
    EXPECT_EQ(buffer.txBuffer(0, TXB_TAKE_RAW), 'R');
    EXPECT_EQ(buffer.txBuffer('Y', TXB_ADD), 0);
}

TEST_F(TxBufferTest, TakeRawGivesStoredCharactersWithoutShiftsOrEcho) {
    add("1a");
    EXPECT_EQ(buffer.txBuffer(0, TXB_TAKE_RAW), '1');
    EXPECT_EQ(buffer.txBuffer(0, TXB_TAKE_RAW), 'a');
    EXPECT_EQ(buffer.txBuffer(0, TXB_TAKE_RAW), 0);
    EXPECT_TRUE(logger.posts().empty());
    EXPECT_EQ(buffer.txShift, kShiftUndetermined);
}

TEST_F(TxBufferTest, ClearDropsUnsentTextAndKeepsTheCase) {
    add("9 X");
    nextCodes(2);  // FIGS, 9
    buffer.txBuffer(0, TXB_CLEAR);
    EXPECT_EQ(unsent(), "");
    EXPECT_EQ(buffer.txShift, kShiftFigures);
    EXPECT_EQ(nextCodes(1), std::vector<int>{figs});
    add("Y");
    static_cast<TxBufferControl&>(buffer).clearTxBuffer();  // the logger's clear
    EXPECT_EQ(unsent(), "");
}

TEST_F(TxBufferTest, ConcurrentWritersAndSenderLoseNothing) {
    constexpr int kPerWriter = 5000;
    std::vector<std::thread> writers;
    for (char c : std::string("ABCD"))
        writers.emplace_back([&, c] {
            for (int i = 0; i < kPerWriter; ++i)
                buffer.txBuffer(static_cast<std::uint8_t>(c), TXB_ADD);
        });
    int sent = 0;
    std::thread sender([&] {
        while (sent < 4 * kPerWriter)
            if (buffer.txBuffer(0, TXB_NEXT_CODE) != ltrs) ++sent;
    });
    for (auto& w : writers) w.join();
    sender.join();
    EXPECT_EQ(logger.values(TXM_CHAR).size(), 4u * kPerWriter);
    EXPECT_EQ(unsent(), "");
}

}  // namespace
}  // namespace kestrel
