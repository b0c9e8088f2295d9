#pragma once
// Catmull-Rom interpolation between the second and third of four equally spaced samples:
// the skimmer's resampling to a decoder's rate, and its tone filters' way back to the
// decoders' rate.
#include <array>

namespace kestrel::skim {

// The weights of the four samples for a point t of the way (0 to 1) from the second to
// the third.
inline std::array<double, 4> catmullRomWeights(double t) {
    const double t2 = t * t, t3 = t2 * t;
    return {0.5 * (-t + 2 * t2 - t3), 0.5 * (2 - 5 * t2 + 3 * t3), 0.5 * (t + 4 * t2 - 3 * t3),
            0.5 * (-t2 + t3)};
}

}  // namespace kestrel::skim
