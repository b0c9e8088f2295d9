#include "transmit/pfsk_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/logger_codes.h"
#include "support/tx_rig.h"

namespace kestrel {
namespace {

class PfskTest : public ::testing::Test {
  protected:
    std::vector<std::int16_t> frame() {
        TxFrame f;
        f.fill(1);
        pfsk.generatePfsk(f);
        return {f.begin(), f.end()};
    }
    static bool silent(const std::vector<std::int16_t>& f, int begin, int end) {
        return std::all_of(f.begin() + begin, f.begin() + end, [](auto s) { return s == 0; });
    }
    // A tone element restarts at phase 0: its samples are those of sin(n w) at full amplitude
    // (within the rounding of the accumulated phase).
    void expectToneFromPhaseZero(const std::vector<std::int16_t>& f, int begin, int count) {
        const double w = 2.0 * std::numbers::pi * 5000.0 / rig.state.sampleRate.load();
        for (int n = 0; n < count; ++n)
            ASSERT_NEAR(f[begin + n], std::trunc(32760.0 * std::sin(n * w)), 1.0) << begin + n;
    }

    TxRig rig;
    PfskGenerator pfsk{rig.links};
};

TEST_F(PfskTest, FirstCharacterFrameIsLtrsWithToneOnlyInTheStartElement) {
    rig.type("E");
    rig.state.txState = 1;
    frame();
    frame();
    const auto ltrs = frame();
    expectToneFromPhaseZero(ltrs, 0, kElementSamples);
    EXPECT_TRUE(silent(ltrs, kElementSamples, kTxFrameSamples));
    EXPECT_TRUE(rig.logger.posts().empty());  // not taken from the buffer, so no echo
    frame();                                  // the buffer's own shift: LTRS again
    const auto e = frame();
    EXPECT_EQ(rig.logger.values(TXM_CHAR), std::vector<std::int64_t>{'E'});
    // E is mark, space, space, space, space: tone in the start element and bits 1 to 4,
    // each element from phase 0; silence in bit 0 and the stop element.
    expectToneFromPhaseZero(e, 0, kElementSamples);
    EXPECT_TRUE(silent(e, 264, 528));
    for (int slot = 2; slot <= 5; ++slot) expectToneFromPhaseZero(e, slot * 264, 264);
    EXPECT_TRUE(silent(e, 6 * 264, kTxFrameSamples));
}

}  // namespace
}  // namespace kestrel
