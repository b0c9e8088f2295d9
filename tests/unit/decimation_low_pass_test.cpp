#include "frontend/decimation_low_pass.h"

#include <gtest/gtest.h>

#include <numeric>

#include "support/frequency_response.h"

namespace kestrel {
namespace {

using testing::firGain;
using testing::firGainDb;
using testing::worstGainDb;

TEST(DecimationLowPass, TableIsSymmetricAndSumsToItsStatedGain) {
    const auto& taps = decimationTaps();
    for (int k = 0; k < kDecimationTaps; ++k) EXPECT_EQ(taps[k], taps[kDecimationTaps - 1 - k]);
    EXPECT_NEAR(std::accumulate(taps.begin(), taps.end(), 0.0), 1.003981, 1e-6);
    EXPECT_DOUBLE_EQ(taps[0], 7.491184e-05);
    EXPECT_DOUBLE_EQ(taps[63], 2.106926e-01);
    EXPECT_DOUBLE_EQ(taps[66], 1.260008e-01);
}

TEST(DecimationLowPass, ResponseIsFlatToNineHundredthsOfTheRate) {
    const auto& taps = decimationTaps();
    for (int s = 0; s <= 180; ++s) {
        const double f = 0.09 * s / 180;
        EXPECT_NEAR(firGain(taps, f), 1.0, 0.004) << "at " << f;
    }
}

TEST(DecimationLowPass, ResponseFallsThroughItsStatedPoints) {
    const auto& taps = decimationTaps();
    EXPECT_NEAR(firGainDb(taps, 0.11), -10.0, 0.5);
    EXPECT_NEAR(firGainDb(taps, 0.12), -39.0, 0.5);
    EXPECT_LE(worstGainDb(taps, 0.125, 0.5, 3750), -86.0);
}

TEST(DecimationLowPass, FiltersTheNewest128SamplesAcrossTheRingWrap) {
    MirroredRing<kMixerRingSize> inI, inQ;
    MirroredRing<2048> outI, outQ;
    // An impulse 5 samples before the newest, which sits just past the ring's wrap.
    const int newest = 3;
    inI.put(kMixerRingSize - 2, 1.0);
    inQ.put(kMixerRingSize - 2, -2.0);
    decimationLowPass(inI, inQ, newest, outI, outQ, 2047);
    // Coefficient 127 sits on the newest sample, so the impulse meets coefficient 122.
    EXPECT_DOUBLE_EQ(outI[2047], decimationTaps()[122]);
    EXPECT_DOUBLE_EQ(outQ[2047], -2.0 * decimationTaps()[122]);
}

}  // namespace
}  // namespace kestrel
