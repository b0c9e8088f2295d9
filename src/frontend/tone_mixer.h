#pragma once
// Two quadrature mixers that bring the mark and space tones down to 0 Hz, and the
// decimation by 4 behind them. The tone filters and the AFC each own one.
#include <array>

#include "frontend/decimation_low_pass.h"
#include "frontend/mirrored_ring.h"
#include "frontend/mixer_phase.h"

namespace kestrel {

struct ToneMixer {
    // Ring order of `mixed` and `decimated`: pair 0 in-phase, quadrature, pair 1 in-phase,
    // quadrature. Pair 0 carries the mark tone unless receive is reversed.
    static constexpr int kPair0I = 0, kPair0Q = 1, kPair1I = 2, kPair1Q = 3;

    double markPhase = 0.0;  // cycles, in [0, 1)
    double spacePhase = 0.0;
    std::array<MirroredRing<kMixerRingSize>, 4> mixed{};
    std::array<MirroredRing<kMixerRingSize>, 4> decimated{};
    int j = 0;  // mixer write index, 0..1023
    int d = 0;  // decimated write index, 0..1023

    // Advances both phases by their steps (cycles per sample) and stores the sample times
    // cosine and sine of each pair's angle at j.
    void mix(double x, double markStep, double spaceStep, bool reverse);
    // Low-passes both pairs over the 128 samples ending at j into the decimated rings at d.
    void decimate();
    void advanceMixer() { j = (j + 1) % kMixerRingSize; }
    void advanceDecimated() { d = (d + 1) % kMixerRingSize; }
};

}  // namespace kestrel
