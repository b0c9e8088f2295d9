#include "frontend/mixer_phase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace kestrel {
namespace {

TEST(MixerPhase, PhasorMatchesTheLibraryToDoublePrecision) {
    // Table points, midpoints between them, and phases outside one cycle. The reference
    // itself rounds 2π·cycles, by up to an ulp of the angle (2e-15 at two cycles).
    for (int k = -3000; k <= 3000; ++k) {
        const double cycles = k * 0.000731 + 0.5 / 256.0;
        const Phasor p = phasorOfCycles(cycles);
        EXPECT_NEAR(p.cos, std::cos(2.0 * std::numbers::pi * cycles), 2e-15) << cycles;
        EXPECT_NEAR(p.sin, std::sin(2.0 * std::numbers::pi * cycles), 2e-15) << cycles;
    }
}

}  // namespace
}  // namespace kestrel
