#include "decode/spread_smoother.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrel {
namespace {

struct DesignCall {
    int n;
    double rollOff, designRate, symbolRate;
};
std::vector<DesignCall> designCalls;

// Narrow taps are 1 + k / 1000, wide taps 2 + k / 1000; the second half is poison so a
// tap past the centre would show.
void recordingDesign(double* taps, int n, double rollOff, double designRate, double symbolRate) {
    designCalls.push_back({n, rollOff, designRate, symbolRate});
    const double base = designCalls.size() == 1 ? 1.0 : 2.0;
    for (int k = 0; k < n; ++k) taps[k] = k < n / 2 ? base + k / 1000.0 : 1e9;
}

struct SpreadSmootherTest : ::testing::Test {
    ModemState state;
    double snr = 0.0;
    SpreadSmoother smoother{state, &recordingDesign};

    SpreadSmootherTest() {
        designCalls.clear();
        state.Decodemode = 2;
    }
    // Sets the S/N and lets the smoothed figure settle on it.
    void settle(double figure) {
        for (int k = 0; k < 200; ++k) {
            snr = figure + (k % 2) * 1e-12;
            smoother.spreadSmoother(0.0, 0, snr);
        }
    }
    // The smoother's output for an impulse on the mark channel: the first applied tap.
    double impulse() {
        for (int k = 0; k < kSpreadDelay; ++k) smoother.spreadSmoother(0.0, 0, snr);
        return smoother.spreadSmoother(1.0, 0, snr);
    }
};

TEST_F(SpreadSmootherTest, OtherModesPassValuesThroughWithoutDesigning) {
    for (int mode : {0, 1}) {
        state.Decodemode = mode;
        EXPECT_EQ(smoother.spreadSmoother(0.123456789, 0, snr), 0.123456789);
        EXPECT_EQ(smoother.spreadSmoother(-7.5, 1, snr), -7.5);
    }
    EXPECT_TRUE(designCalls.empty());
}

TEST_F(SpreadSmootherTest, DesignsBothSetsOnceOnFirstUse) {
    smoother.spreadSmoother(1.0, 0, snr);
    smoother.spreadSmoother(1.0, 1, snr);
    ASSERT_EQ(designCalls.size(), 2u);
    EXPECT_EQ(designCalls[0].n, 256);
    EXPECT_EQ(designCalls[0].rollOff, 0.3);
    EXPECT_EQ(designCalls[0].designRate, 3000.0);
    EXPECT_DOUBLE_EQ(designCalls[0].symbolRate, 600.0 / 11.0);
    EXPECT_EQ(designCalls[1].n, 256);
    EXPECT_EQ(designCalls[1].rollOff, 0.85);
    EXPECT_EQ(designCalls[1].designRate, 3000.0);
    EXPECT_DOUBLE_EQ(designCalls[1].symbolRate, 1000.0 / 11.0);
}

TEST_F(SpreadSmootherTest, AppliesTheTapsBeforeTheCentreNewestFirst) {
    std::vector<double> out;
    out.push_back(smoother.spreadSmoother(1.0, 0, snr));
    for (int k = 1; k < 130; ++k) {
        out.push_back(smoother.spreadSmoother(0.0, 0, snr));
        EXPECT_EQ(smoother.spreadSmoother(0.0, 1, snr), 0.0);  // the space line is its own
    }
    for (int k = 0; k < 128; ++k) EXPECT_DOUBLE_EQ(out[k], 1.0 + k / 1000.0) << "tap " << k;
    EXPECT_EQ(out[128], 0.0);
    EXPECT_EQ(out[129], 0.0);
}

TEST_F(SpreadSmootherTest, SmoothedSnrMovesOnlyWhenTheFigureChanges) {
    snr = 13.0;
    smoother.spreadSmoother(0.0, 0, snr);
    EXPECT_DOUBLE_EQ(smoother.smoothedSnr(), 3.0);  // (13 * 0.3 + 0) / 1.3
    smoother.spreadSmoother(0.0, 1, snr);
    EXPECT_DOUBLE_EQ(smoother.smoothedSnr(), 3.0);
}

TEST_F(SpreadSmootherTest, SetChoiceHasHysteresisBetween10And13) {
    EXPECT_EQ(impulse(), 1.0);  // narrow at start
    settle(12.9);
    EXPECT_FALSE(smoother.wideSet());
    settle(13.1);
    EXPECT_TRUE(smoother.wideSet());
    EXPECT_EQ(impulse(), 2.0);
    settle(12.0);
    EXPECT_TRUE(smoother.wideSet());
    settle(10.1);
    EXPECT_TRUE(smoother.wideSet());
    settle(9.9);
    EXPECT_FALSE(smoother.wideSet());
    EXPECT_EQ(impulse(), 1.0);
}

}  // namespace
}  // namespace kestrel
