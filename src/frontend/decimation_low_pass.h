#pragma once
// The fixed low-pass in front of every decimation by 4 (tone filters, AFC, spectrum):
// 128 symmetric taps, flat to 0.09 of the input rate and at least 86 dB down from the new
// Nyquist frequency, 0.125, upwards.
#include <array>

#include "frontend/fir.h"
#include "frontend/mirrored_ring.h"

namespace kestrel {

constexpr int kDecimationTaps = 128;
constexpr int kMixerRingSize = 1024;

const std::array<double, kDecimationTaps>& decimationTaps();

// The filter over the 128 samples ending at `newest`, oldest first.
double decimationLowPass(const double* window);

// Filters the in-phase and quadrature rings over their 128 samples ending at `newest` and
// stores both results at `outIndex`.
template <int M>
void decimationLowPass(const MirroredRing<kMixerRingSize>& inI,
                       const MirroredRing<kMixerRingSize>& inQ, int newest, MirroredRing<M>& outI,
                       MirroredRing<M>& outQ, int outIndex) {
    outI.put(outIndex, decimationLowPass(inI.window(newest, kDecimationTaps)));
    outQ.put(outIndex, decimationLowPass(inQ.window(newest, kDecimationTaps)));
}

// Both pairs of a two-tone mixer at once (pair 0 in-phase, quadrature, pair 1 in-phase,
// quadrature), sharing the passes over the taps.
template <int M>
void decimationLowPass(const std::array<MirroredRing<kMixerRingSize>, 4>& in, int newest,
                       std::array<MirroredRing<M>, 4>& out, int outIndex) {
    const double* windows[4];
    for (int r = 0; r < 4; ++r) windows[r] = in[r].window(newest, kDecimationTaps);
    double filtered[4];
    firDot4(decimationTaps().data(), windows, kDecimationTaps, filtered);
    for (int r = 0; r < 4; ++r) out[r].put(outIndex, filtered[r]);
}

}  // namespace kestrel
