#pragma once
// The decoder of the "Flutter" and "Spread" modes: thresholds from the pulse levels of
// three overlapping windows, glided across each block and lifted by the noise floor;
// each sample goes to the channel with the larger envelope power.
#include <array>

#include "decode/decoder_frame.h"
#include "decode/framing.h"
#include "decode/spread_smoother.h"
#include "frontend/tone_filter_rings.h"

namespace kestrel {

struct EnvelopeThresholdDecoder {
    EnvelopeThresholdDecoder(Framing& framing, SpreadSmoother& smoother)
        : framing_(framing), smoother_(smoother) {}

    // One pass over the 512 ring samples from rings.decodeStart.
    void decodeEnvelopeThreshold(const ToneFilterRings& rings);

    DecoderFrame frame;
    // Per window W1, W2, W3: the held peaks live in frame.peaks (mark 0..2, space 3..5).
    std::array<double, 3> markLevel{};
    std::array<double, 3> spaceLevel{};

  private:
    void fillBlock(const ToneFilterRings& rings);
    void holdPeaks();
    void measureLevels();
    void decideBlock();

    Framing& framing_;
    SpreadSmoother& smoother_;
};

}  // namespace kestrel
