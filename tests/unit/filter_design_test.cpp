#include "frontend/filter_design.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <numeric>
#include <span>

#include "support/frequency_response.h"

namespace kestrel {
namespace {

using testing::firGain;
using testing::worstGainDb;

// Every designed filter: unity gain at 0 Hz and symmetric about tap n/2. For even n, tap 0
// has no partner and keeps the small fill value.
void expectNormalisedAndSymmetric(std::span<const double> taps) {
    const int n = static_cast<int>(taps.size());
    EXPECT_NEAR(std::accumulate(taps.begin(), taps.end(), 0.0), 1.0, 1e-12);
    const int centre = n / 2;
    for (int k = 1; k < centre; ++k) EXPECT_EQ(taps[centre - k], taps[centre + k]) << k;
    if (n % 2 == 1) {
        EXPECT_EQ(taps[0], taps[n - 1]);
    }
    EXPECT_GT(taps[centre], taps[centre - 1]);
}

TEST(FilterDesign, DesignedFiltersAreNormalisedAndSymmetric) {
    expectNormalisedAndSymmetric(inputLowPassFilter());
    expectNormalisedAndSymmetric(standardToneFilter());
    expectNormalisedAndSymmetric(alternativeToneFilter());
    expectNormalisedAndSymmetric(afcFilter());
}

// The tone filters run at a quarter of the processing rate, which is 264 samples per bit
// at every speed; so their response in Hz scales with the baud rate.
struct Speed {
    double baud;
    double decimatedRate;
};
constexpr Speed kSpeeds[] = {{500.0 / 11.0, 3000.0}, {50.0, 3300.0}, {75.0, 4950.0}};

TEST(FilterDesign, StandardToneFilterStopsBeyondOneBaudFromTheTone) {
    const auto& taps = standardToneFilter();
    for (const Speed s : kSpeeds) {
        EXPECT_NEAR(firGain(taps, 0.0), 1.0, 1e-12);
        // The design is zero from one baud out; the 1024 taps leave a small skirt.
        EXPECT_LE(worstGainDb(taps, s.baud / s.decimatedRate, 0.5, 4000), -35.0) << s.baud;
        EXPECT_LE(worstGainDb(taps, 1.1 * s.baud / s.decimatedRate, 0.5, 4000), -50.0) << s.baud;
        // Half a baud out the raised cosine is still well open.
        EXPECT_GT(firGain(taps, 0.5 * s.baud / s.decimatedRate), 0.5) << s.baud;
    }
}

TEST(FilterDesign, AlternativeToneFilterIsFlatApartFromTheEqualisationThenStops) {
    const auto& taps = alternativeToneFilter();
    const double symbolTime = 11.0 / 1000.0;
    for (double f = 0.5; f <= 6.8; f += 0.1) {
        const double x = std::numbers::pi * f * symbolTime;
        EXPECT_NEAR(firGain(taps, f / 3000.0) / (x / std::sin(x)), 1.0, 5e-4) << f;
    }
    EXPECT_LT(firGain(taps, 30.0 / 3000.0) /
                  (std::numbers::pi * 0.33 / std::sin(std::numbers::pi * 0.33)),
              0.9);
    EXPECT_LE(worstGainDb(taps, 84.1 / 3000.0, 0.5, 4000), -55.0);
}

TEST(FilterDesign, AfcFilterStopsBeyondItsWiderSymbolRate) {
    const auto& taps = afcFilter();
    EXPECT_GT(firGain(taps, 45.45 / 3000.0), 0.1);
    EXPECT_LE(worstGainDb(taps, 700.0 / 11.0 / 3000.0, 0.5, 4000), -30.0);
}

TEST(FilterDesign, InputLowPassKeepsTheToneBandAndStopsAbove4550Hz) {
    const auto& taps = inputLowPassFilter();
    // Below the roll-off the taps follow the x/sin x equalisation of a 7000 Hz symbol rate.
    for (double f = 100.0; f <= 2400.0; f += 100.0) {
        const double x = std::numbers::pi * f / 7000.0;
        EXPECT_NEAR(firGain(taps, f / 12000.0) / (x / std::sin(x)), 1.0, 0.02) << f;
    }
    EXPECT_LE(worstGainDb(taps, 4550.0 / 12000.0, 0.5, 2000), -70.0);
}

}  // namespace
}  // namespace kestrel
