#include "transmit/tx_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
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

// What goes on air for typed text: '<' is LTRS, '>' FIGS. A space in figures and a line
// end leave the case open, so what follows is shifted again; idle fill repeats the case.
TEST_F(TxBufferTest, ShiftsAreSentWhereTheCaseChangesOrIsOpen) {
    const std::pair<const char*, const char*> cases[] = {
        {"12 34", ">12 >34>"}, {"AB", "<AB<<"}, {"AB\r\nC D", "<AB\r\n<C D"}, {"5\r -", ">5\r< >"}};
    for (const auto& [typed, sent] : cases) {
        TxBuffer fresh{state, logger, ui};
        std::string got;
        for (const char* c = typed; *c; ++c) fresh.txBuffer(static_cast<std::uint8_t>(*c), TXB_ADD);
        for (const char* c = sent; *c; ++c) {
            const int code = fresh.txBuffer(0, TXB_NEXT_CODE);
            got += code == ltrs ? '<' : code == figs ? '>' : code == this->code(*c) ? *c : '?';
        }
        EXPECT_EQ(got, sent) << typed;
    }
}

TEST_F(TxBufferTest, EmptyRingWithEndRequestedSendsOneLtrsAndEnds) {
    buffer.txShift = kShiftFigures;
    state.txState = 4;
    EXPECT_EQ(buffer.txBuffer(0, TXB_NEXT_CODE), ltrs);
    EXPECT_EQ(state.txState, 5);
    EXPECT_EQ(buffer.txShift, kShiftUndetermined);
    EXPECT_TRUE(logger.posts().empty());
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
