#include "transmit/dook_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "platform/logger_codes.h"
#include "support/tx_rig.h"

namespace kestrel {
namespace {

class DookTest : public ::testing::Test {
  protected:
    std::vector<std::int16_t> frame() {
        TxFrame f;
        f.fill(1);
        dook.generateDook(f);
        return {f.begin(), f.end()};
    }
    static int peak(const std::vector<std::int16_t>& f, int begin, int end) {
        int m = 0;
        for (int n = begin; n < end; ++n) m = std::max(m, std::abs(int(f[n])));
        return m;
    }
    double rate() const { return rig.state.sampleRate.load(); }

    TxRig rig;
    DookGenerator dook{rig.links};
};

TEST(DookTaps, SymmetricUnityGainLowPassCentredOnTap512) {
    const auto& taps = dookTaps();
    EXPECT_NEAR(std::accumulate(taps.begin(), taps.end(), 0.0), 1.0, 1e-12);
    for (int k = 0; k < kDookTaps; ++k) ASSERT_DOUBLE_EQ(taps[k], taps[kDookTaps - 1 - k]) << k;
    EXPECT_EQ(std::max_element(taps.begin(), taps.end()) - taps.begin(), 512);
    // Taps 0 and 1024 lie beyond the designed response and keep the design's filler value.
    EXPECT_NEAR(taps[0] / taps[1024], 1.0, 1e-12);
}

TEST_F(DookTest, EnvelopeStepIsHalfWayAfter512SamplesAndCompleteAfter1025) {
    std::vector<double> level;
    for (int n = 0; n < kDookTaps; ++n) level.push_back(dook.dookEnvelope(1.0, kDookMark));
    EXPECT_LT(std::abs(level[100]), 0.01);
    EXPECT_NEAR(level[512], 0.5, 0.01);
    EXPECT_NEAR(level[1024], 1.0, 1e-12);
    // The space envelope has a delay line of its own.
    EXPECT_NEAR(dook.dookEnvelope(0.0, kDookSpace), 0.0, 1e-12);
}

TEST_F(DookTest, PreambleStartsAtFullSpaceLevelWithoutAFadeIn) {
    dook.dookSpacePhase = 1.0;
    rig.state.txState = 1;
    const auto space = frame();
    EXPECT_EQ(rig.state.txState, 2);
    EXPECT_EQ(rig.ptt.calls(), std::vector<bool>{true});
    EXPECT_NEAR(dook.dookSpaceLevel, 1.0, 1e-12);
    EXPECT_NEAR(space[0], -24000.0 * std::sin(1.0), 1.0);
    EXPECT_GT(peak(space, 0, 60), 23800);
    EXPECT_NEAR(toneFrequency(space, 0, kTxFrameSamples, rate()), 2295.0, 0.05);
    const auto mark = frame();
    EXPECT_EQ(rig.state.txState, 3);
    EXPECT_NEAR(toneFrequency(mark, 1100, kTxFrameSamples, rate()), 2125.0, 0.05);
    EXPECT_NEAR(peak(mark, 1100, kTxFrameSamples), 24000, 100);
}

TEST_F(DookTest, CharacterFramesPeakNear26400AndTheFirstIsAnUnechoedLtrs) {
    rig.type("RYRYRY");
    rig.state.txState = 1;
    frame();
    frame();
    frame();
    EXPECT_TRUE(rig.logger.posts().empty());
    EXPECT_EQ(rig.buffer.txTail, 0);  // LTRS was not asked of the buffer
    std::vector<std::int16_t> text;
    for (int i = 0; i < 7; ++i) {
        const auto f = frame();
        text.insert(text.end(), f.begin(), f.end());
    }
    EXPECT_EQ(rig.logger.values(TXM_CHAR),
              (std::vector<std::int64_t>{'R', 'Y', 'R', 'Y', 'R', 'Y'}));
    // Alternating elements are the worst case for the envelope filter's 5.8 % overshoot.
    const int top = peak(text, 0, int(text.size()));
    EXPECT_GT(top, 26400);
    EXPECT_LT(top, 26400 * 1.15);
    // Where a tone holds (the long mark of idle LTRS frames), it settles at 1.1 times full
    // level.
    frame();
    const auto idle = frame();
    EXPECT_NEAR(peak(idle, 1100, kTxFrameSamples), 26400, 264);
}

// The amplitude of one tone over 141 samples centred on `centre`: two cycles of the
// 170 Hz shift at 12000 Hz, so the other tone falls in a null.
double toneAmplitude(const std::vector<std::int16_t>& x, int centre, double hz) {
    const double w = 2.0 * 3.14159265358979323846 * hz / 12000.0;
    double re = 0.0, im = 0.0;
    for (int n = centre - 70; n <= centre + 70; ++n) {
        re += x[n] * std::cos(w * n);
        im += x[n] * std::sin(w * n);
    }
    return 2.0 * std::hypot(re, im) / 141.0;
}

TEST_F(DookTest, BothTonesAreHeardAtPartLevelDuringATransition) {
    rig.state.txState = 3;
    dook.dookStarted = 1;
    rig.buffer.txShift = kShiftLetters;
    frame();        // idle LTRS: mark from sample 264 on
    rig.type("T");  // T: five space elements, then mark from sample 1320
    const auto t = frame();
    // The envelopes run 512 samples late: mark to space shows around sample 512.
    EXPECT_GT(toneAmplitude(t, 512, 2125.0), 0.3 * 24000);
    EXPECT_GT(toneAmplitude(t, 512, 2295.0), 0.3 * 24000);
    EXPECT_LT(toneAmplitude(t, 1100, 2125.0), 0.02 * 24000);
    EXPECT_NEAR(toneAmplitude(t, 1100, 2295.0), 26400, 500);
}

TEST_F(DookTest, ClosingFrameFadesBothTonesAndHandsOverToTheReporter) {
    rig.state.txState = 1;
    frame();
    frame();
    rig.state.txState = 4;
    frame();  // the first frame's LTRS
    frame();  // the closing LTRS
    EXPECT_EQ(rig.state.txState, 5);
    const auto closing = frame();
    EXPECT_EQ(rig.state.txState, 0);
    EXPECT_EQ(rig.releaseStarts, 1);
    EXPECT_GT(peak(closing, 0, 200), 20000);
    EXPECT_LT(peak(closing, 1100, kTxFrameSamples), 30);
    EXPECT_EQ(rig.ptt.calls(), std::vector<bool>{true});
}

}  // namespace
}  // namespace kestrel
