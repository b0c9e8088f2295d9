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
