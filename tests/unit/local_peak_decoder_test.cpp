#include "decode/local_peak_decoder.h"

#include <gtest/gtest.h>

#include <memory>

#include "unit/framing_rig.h"

namespace kestrel {
namespace {

constexpr double kT = 0.5;  // the previous threshold in these cases

struct Window {
    std::unique_ptr<EnvelopeWindow> env = std::make_unique<EnvelopeWindow>();
    void set(int first, int last, double v) {
        std::fill(env->begin() + first, env->begin() + last + 1, v);
    }
    double threshold(int i, int backLimit = 500) const {
        return localPeakThreshold(*env, i, kT, backLimit, 1.0);
    }
};

TEST(LocalPeakThreshold, LongPulseUsesItsOwnPeakOnBothSides) {
    Window w;
    w.set(1000, 2559, 1.0);
    (*w.env)[1600] = 1.5;
    EXPECT_EQ(w.threshold(1600), 1.5);
    EXPECT_EQ(localPeakThreshold(*w.env, 1600, kT, 500, 0.98), 0.98 * 1.5);
}

TEST(LocalPeakThreshold, PulseBegunLessThan44AgoAlsoLooksAtThePulseBefore) {
    Window w;
    w.set(1400, 1499, 2.0);  // the pulse before
    w.set(1580, 1800, 1.0);  // the pulse the sample is in
    // From 1622 the walk back covers 42 entries to 1580: 43 < 44, so it looks further.
    EXPECT_EQ(w.threshold(1622), (2.0 + 1.0) * 0.5);
    EXPECT_EQ(w.threshold(1623), 1.0);
}

TEST(LocalPeakThreshold, PulseEndingWithin44AlsoLooksAtThePulseAfter) {
    Window w;
    w.set(1400, 1600, 1.0);                           // the pulse the sample is in
    w.set(1700, 1750, 3.0);                           // the pulse after
    EXPECT_EQ(w.threshold(1558), (1.0 + 3.0) * 0.5);  // 42 entries walked forward
    EXPECT_EQ(w.threshold(1557), 1.0);
}

TEST(LocalPeakThreshold, InAGapThePulsesOnEitherSideCount) {
    Window w;
    w.set(1400, 1449, 2.0);
    w.set(1620, 1700, 1.0);
    EXPECT_EQ(w.threshold(1540), (2.0 + 1.0) * 0.5);
    // An entry equal to the threshold is not part of a gap: the walks stop there.
    (*w.env)[1510] = kT;
    (*w.env)[1560] = kT;
    EXPECT_EQ(w.threshold(1540), kT);
}

TEST(LocalPeakThreshold, BackwardWalksStopAt500OrAt1000) {
    Window w;
    w.set(1300, 1399, 2.0);  // 601..700 entries before 2000
    EXPECT_EQ(w.threshold(2000, 500), 0.0);
    EXPECT_EQ(w.threshold(2000, 1000), 1.0);
}

TEST(LocalPeakThreshold, ForwardGapWalkStopsAt2516) {
    Window w;
    (*w.env)[2559] = 3.0;  // inside the 44 entries from 2516
    EXPECT_EQ(w.threshold(2000), 1.5);
    (*w.env)[2559] = 0.0;
    (*w.env)[2515] = 3.0;  // the first entry at or above the threshold
    EXPECT_EQ(w.threshold(2000), 1.5);
}

// The decoder on steady windows: mark 1.0 and space 0.05 everywhere.
struct SteadyRig : FramingRig {
    LocalPeakDecoder decoder{framing};
    ToneFilterRings rings;

    SteadyRig() {
        state.Decodemode = 1;
        rings.markI.fill(1.0);
        rings.spaceQ.fill(0.05);
        for (int pass = 0; pass < 6; ++pass) decoder.decodeLocalPeak(rings);
    }
    const DecoderFrame& passWithSnr(double snr) {
        framing.snrFigure = snr;
        decoder.decodeLocalPeak(rings);
        return decoder.frame;
    }
};

TEST(LocalPeakDecoder, LocalPeakThresholdsTakeOverAtSnr7) {
    auto rig = std::make_unique<SteadyRig>();
    EXPECT_EQ(rig->passWithSnr(6.999).thresholdSlot, 0);
    const DecoderFrame& f = rig->passWithSnr(7.0);
    EXPECT_EQ(f.thresholdSlot, 1);
    // A steady mark: the local threshold is 0.98 of its peak, halfway to the floor.
    EXPECT_DOUBLE_EQ(f.markThreshold[1], (0.98 * 1.0 + f.markFloor) * 0.5);
}

TEST(LocalPeakDecoder, LevelWeightFollowsTheSnr) {
    auto rig = std::make_unique<SteadyRig>();
    // Steady windows have no pulses: every mark level is 0.939 of the maximum.
    const struct {
        double snr, g;
    } cases[] = {{12.001, 0.65}, {12.0, 0.75}, {7.0, 0.9}, {5.0, 1.0}};
    for (const auto& c : cases) {
        const DecoderFrame& f = rig->passWithSnr(c.snr);
        EXPECT_EQ(rig->decoder.markLevel, (std::array<double, 3>{0.939, 0.939, 0.939}));
        const double blockThreshold = 0.939 * (4.0 * c.g + 1.0) / (2.0 * (c.g + 1.0));
        const double expected =
            f.thresholdSlot == 0 ? (blockThreshold + f.markFloor) * 0.5 : blockThreshold;
        EXPECT_NEAR(f.markThreshold[0], expected, 1e-12) << "snr " << c.snr;
    }
}

}  // namespace
}  // namespace kestrel
