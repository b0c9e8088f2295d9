#include "frontend/input_low_pass.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(InputLowPass, ImpulseResponseIsTheDesignedTapsNewestFirst) {
    InputLowPass filter;
    const auto& taps = inputLowPassFilter();
    // Coefficient i applies to the sample i steps old.
    for (int i = 0; i < kInputLowPassTaps; ++i) {
        EXPECT_DOUBLE_EQ(filter.inputLowPass(i == 0 ? 1.0 : 0.0), taps[i]) << i;
    }
    EXPECT_EQ(filter.inputLowPass(0.0), 0.0);  // the impulse has left the 127-sample line
}

}  // namespace
}  // namespace kestrel
