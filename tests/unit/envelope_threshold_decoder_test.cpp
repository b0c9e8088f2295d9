#include "decode/envelope_threshold_decoder.h"

#include <gtest/gtest.h>

#include <memory>

#include "unit/framing_rig.h"

namespace kestrel {
namespace {

struct EnvelopeRig : FramingRig {
    SpreadSmoother smoother{state, nullptr};
    EnvelopeThresholdDecoder decoder{framing, smoother};
    ToneFilterRings rings;

    EnvelopeRig() { state.Decodemode = 0; }
    void passes(int n) {
        for (int k = 0; k < n; ++k) decoder.decodeEnvelopeThreshold(rings);
    }
};

TEST(EnvelopeThresholdDecoder, HeldPeaksDecayTowardsTheFloorAndSetTheThresholds) {
    auto rig = std::make_unique<EnvelopeRig>();
    rig->rings.markQ.fill(1.0);
    rig->rings.spaceI.fill(0.05);
    rig->passes(6);
    const DecoderFrame& f = rig->decoder.frame;
    for (int w = 0; w < 3; ++w) {
        EXPECT_DOUBLE_EQ(f.peaks[w], (1.0 * 0.939 + f.markFloor) * 0.5);
        EXPECT_DOUBLE_EQ(f.peaks[3 + w], (0.05 * 0.966 + f.spaceFloor) * 0.5);
    }
    // A steady window has no pulses: each level is its held peak, the same in all three,
    // and equal levels give half the level plus four tenths of the floor.
    const auto& d = rig->decoder;
    EXPECT_EQ(d.markLevel[0], d.markLevel[2]);
    EXPECT_DOUBLE_EQ(d.frame.markThreshold[0], 0.5 * d.markLevel[0] + 0.4 * d.frame.markFloor);
    EXPECT_DOUBLE_EQ(d.frame.spaceThreshold[0], 0.5 * d.spaceLevel[0] + 0.4 * d.frame.spaceFloor);
    EXPECT_EQ(d.frame.rawSpace, 0);
}

TEST(EnvelopeThresholdDecoder, FloorsFallOnlyWhenAboveEveryHeldPeak) {
    auto rig = std::make_unique<EnvelopeRig>();
    rig->passes(1);
    auto& f = rig->decoder.frame;
    f.markFloor = 1.0;
    f.spaceFloor = 1.0;
    f.peaks[2] = 1.0;  // the mark W3 held peak equals the mark floor
    rig->passes(1);
    EXPECT_EQ(f.markFloor, 1.0);  // not above all three mark peaks
    EXPECT_DOUBLE_EQ(f.spaceFloor, 0.9);
    rig->passes(1);
    EXPECT_DOUBLE_EQ(f.spaceFloor, 0.81);
}

}  // namespace
}  // namespace kestrel
