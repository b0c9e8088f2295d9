#include "transmit/afsk_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numbers>

#include "platform/logger_codes.h"
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

TEST(BlackmanStep, RisesFromItsFirstValueToOneAtSixtySamplesAndStays) {
    EXPECT_NEAR(blackmanStep(0), 128.0 / 18608.0, 1e-15);
    EXPECT_NEAR(blackmanStep(30), 6508.0 / 18608.0, 1e-15);
    EXPECT_DOUBLE_EQ(blackmanStep(60), 1.0);
    EXPECT_DOUBLE_EQ(blackmanStep(61), 1.0);
    for (int n = 1; n <= 60; ++n) EXPECT_GT(blackmanStep(n), blackmanStep(n - 1));
}

TEST_F(AfskTest, TransmissionWalksTheStatesWithPttAndOneReleaseReport) {
    rig.type("K");
    rig.state.txState = 1;
    frame();
    EXPECT_EQ(rig.state.txState, 2);
    EXPECT_EQ(rig.ptt.calls(), std::vector<bool>{true});
    frame();
    EXPECT_EQ(rig.state.txState, 3);
    frame();  // LTRS
    frame();  // K
    EXPECT_EQ(rig.state.txState, 3);
    rig.state.txState = 4;
    frame();  // the closing LTRS
    EXPECT_EQ(rig.state.txState, 5);
    EXPECT_EQ(rig.releaseStarts, 0);
    frame();
    EXPECT_EQ(rig.state.txState, 0);
    EXPECT_EQ(rig.releaseStarts, 1);
    // The generator itself reports nothing but the echo; PTT stays on for the reporter.
    EXPECT_EQ(rig.logger.posts(), (std::vector<LoggerPost>{{TXM_CHAR, 'K'}}));
    EXPECT_EQ(rig.ptt.calls(), std::vector<bool>{true});
}

TEST_F(AfskTest, PreambleFadesInOnSpaceFromZeroThenGlidesToMark) {
    afsk.afskPhase = 1.3;  // wherever the last transmission left it
    rig.state.txState = 1;
    const auto space = frame();
    EXPECT_EQ(space[0], 0);
    const auto peak = [&](int from, int to) {
        int m = 0;
        for (int n = from; n < to; ++n) m = std::max(m, std::abs(int(space[n])));
        return m;
    };
    EXPECT_LT(peak(0, 20), 200);               // ramp factor below 0.0063 over the first 20 samples
    EXPECT_NEAR(peak(190, 206), 12000, 1000);  // half way up the ramp
    EXPECT_NEAR(peak(396, 1980), 24000, 5);
    EXPECT_NEAR(toneFrequency(space, 396, 1980, rate()), 2295.0, 0.05);
    const auto mark = frame();
    EXPECT_NEAR(toneFrequency(mark, 61, 1980, rate()), 2125.0, 0.05);
}

TEST_F(AfskTest, EachSlotHoldsItsToneAfterASixtySampleGlideAtEverySpeed) {
    for (int rateHz : {12000, 13200, 19800}) {
        SCOPED_TRACE(rateHz);
        rig.state.sampleRate = rateHz;
        rig.state.txState = 3;
        rig.buffer.txShift = kShiftLetters;
        rig.type("R");  // R is space, mark, space, mark, space
        const auto f = frame();
        const double expected[7] = {2295, 2295, 2125, 2295, 2125, 2295, 2125};
        for (int slot = 0; slot < 7; ++slot) {
            const int begin = slot * kElementSamples;
            const int end = slot == 6 ? kTxFrameSamples : begin + kElementSamples;
            EXPECT_NEAR(toneFrequency(f, begin + 61, end, rateHz), expected[slot], 0.05) << slot;
        }
    }
}

TEST_F(AfskTest, AllSpaceAndAllMarkCodesGlideOnlyWhereTheToneChanges) {
    TxFrame f{};
    afsk.characterFrame(f, 0x1F);
    const std::vector<std::int16_t> allSpace(f.begin(), f.end());
    // One glide into the start element, then space without a break up to the stop slot.
    EXPECT_NEAR(toneFrequency(allSpace, 61, 6 * 264, rate()), 2295.0, 0.05);
    EXPECT_NEAR(toneFrequency(allSpace, 6 * 264 + 61, 1980, rate()), 2125.0, 0.05);
    EXPECT_GT(toneFrequency(allSpace, 6 * 264 + 5, 6 * 264 + 30, rate()), 2140.0);

    afsk.characterFrame(f, kBaudotLtrs);
    const std::vector<std::int16_t> ltrs(f.begin(), f.end());
    EXPECT_NEAR(toneFrequency(ltrs, 61, 264, rate()), 2295.0, 0.05);
    EXPECT_NEAR(toneFrequency(ltrs, 264 + 61, 1980, rate()), 2125.0, 0.05);
}

TEST_F(AfskTest, PhaseRunsOnWithoutAStepAcrossEveryFrameBoundary) {
    const auto frames = transmission("CQ TEST 599 001\r");
    // Preamble, 19 frames of shifts and text, the closing LTRS and the closing fade.
    ASSERT_EQ(frames.size(), 23u);
    const double markW = 2.0 * std::numbers::pi * 2125.0 / rate();
    const double spaceW = 2.0 * std::numbers::pi * 2295.0 / rate();
    for (std::size_t i = 1; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        const auto& a = frames[i - 1];
        // The preamble's first frame ends on space, every other frame on mark.
        const double w = i == 1 ? spaceW : markW;
        EXPECT_LT(continuityResidual(a[1978], a[1979], frames[i][0], w), 6.0);
    }
    // No sample step exceeds what the highest tone moves in one sample at full amplitude.
    std::vector<std::int16_t> all;
    for (const auto& f : frames) all.insert(all.end(), f.begin(), f.end());
    const double maxStep = 24000.0 * 2.0 * std::sin(spaceW / 2.0) + 2.0;
    for (std::size_t n = 1; n < all.size(); ++n)
        ASSERT_LE(std::abs(all[n] - all[n - 1]), maxStep) << n;
}

TEST_F(AfskTest, ClosingFrameFadesMarkOutOverOneElementThenIsSilent) {
    const auto frames = transmission("");
    const auto& closing = frames.back();
    EXPECT_GT(std::abs(closing[0]) + std::abs(closing[1]) + std::abs(closing[2]), 1000);
    int lastSound = 0;
    for (int n = 0; n < kTxFrameSamples; ++n)
        if (closing[n] != 0) lastSound = n;
    EXPECT_LT(lastSound, kClosingRampSamples);
    EXPECT_GT(lastSound, kClosingRampSamples - 20);
    for (int n = 250; n < 264; ++n) EXPECT_LT(std::abs(closing[n]), 200) << n;
}

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
