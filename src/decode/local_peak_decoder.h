#pragma once
// The decoder of the "Selectiv" mode. Besides block thresholds interpolated from pulse
// levels (used on weak signals) it follows the signal sample by sample: the threshold
// sits just below the mean of the peaks of the pulse a sample belongs to and of the
// neighbouring pulse. Each channel's vote is weighted by its threshold over its floor.
#include <array>

#include "decode/decoder_frame.h"
#include "decode/framing.h"
#include "frontend/tone_filter_rings.h"

namespace kestrel {

struct LocalPeakDecoder {
    explicit LocalPeakDecoder(Framing& framing) : framing_(framing) {}

    // One pass over the 512 ring samples from rings.decodeStart.
    void decodeLocalPeak(const ToneFilterRings& rings);

    // frame.peaks holds, per window W1, W2, W3 (three entries each): the mark maximum,
    // the space maximum and the space off-level.
    DecoderFrame frame;
    std::array<double, 3> markLevel{};
    std::array<double, 3> spaceLevel{};

  private:
    void fillBlock(const ToneFilterRings& rings);
    void windowStatistics();
    void measureLevels();
    void decideSample(int j);

    Framing& framing_;
};

// The local-peak threshold for entry i of env, given the previous threshold t: the
// peaks before and after i (the pulse around i and its neighbour), averaged and scaled
// by factor. backLimit bounds the backward walks.
double localPeakThreshold(const EnvelopeWindow& env, int i, double t, int backLimit, double factor);

}  // namespace kestrel
