#include "transmit/afsk_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numbers>

#include "link/logger_codes.h"
#include "support/tx_rig.h"

namespace kestrel {
namespace {

class AfskTest : public ::testing::Test {
  protected:
    std::vector<std::int16_t> frame() {
        TxFrame f{};
        afsk.generateAfsk(f);
        return {f.begin(), f.end()};
    }
    // Generates frames until the transmission is over; returns them end to end.
    std::vector<std::vector<std::int16_t>> transmission(const std::string& text) {
        rig.type(text);
        rig.state.txState = 1;
        std::vector<std::vector<std::int16_t>> frames;
        frames.push_back(frame());
        frames.push_back(frame());
        rig.state.txState = 4;  // Ctrl-T during the preamble: send the text and end
        while (rig.state.txState != 0) frames.push_back(frame());
        return frames;
    }
    double rate() const { return rig.state.sampleRate.load(); }

    TxRig rig;
    AfskGenerator afsk{rig.links};
};

TEST_F(AfskTest, NetOffSendsTheSetTonesAndNetOnShiftsBothByTheCapturedOffset) {
    rig.state.txToneOffset = 12.0;
    rig.state.txState = 3;
    TxFrame f{};
    afsk.characterFrame(f, 0x03);  // M: space, space, space, mark, mark, mark, mark
    std::vector<std::int16_t> v(f.begin(), f.end());
    EXPECT_NEAR(toneFrequency(v, 61, 3 * 264, rate()), 2295.0, 0.05);
    EXPECT_NEAR(toneFrequency(v, 3 * 264 + 61, 1980, rate()), 2125.0, 0.05);
    EXPECT_EQ(rig.state.txToneOffset, 0.0);  // cleared, since Net is off

    rig.state.netOn = 1;
    rig.state.txToneOffset = 12.0;
    afsk.characterFrame(f, 0x03);
    v.assign(f.begin(), f.end());
    EXPECT_NEAR(toneFrequency(v, 61, 3 * 264, rate()), 2283.0, 0.05);
    EXPECT_NEAR(toneFrequency(v, 3 * 264 + 61, 1980, rate()), 2113.0, 0.05);
}

}  // namespace
}  // namespace kestrel
