#include "frontend/decimation_low_pass.h"

#include "frontend/fir.h"

namespace kestrel {
namespace {

// The first half; the second half is the same in reverse.
constexpr std::array<double, kDecimationTaps / 2> kFirstHalf = {
    7.491184e-05,  2.060987e-04,  3.685222e-04,  5.577561e-04,  6.614923e-04,  6.348140e-04,
    4.070834e-04,  2.636544e-05,  -4.175300e-04, -7.427127e-04, -7.987588e-04, -4.944347e-04,
    9.888120e-05,  7.753650e-04,  1.230497e-03,  1.208055e-03,  6.138334e-04,  -3.866510e-04,
    -1.405975e-03, -1.963511e-03, -1.707135e-03, -6.006322e-04, 9.908200e-04,  2.404697e-03,
    2.939142e-03,  2.185904e-03,  2.756772e-04,  -2.086718e-03, -3.861674e-03, -4.112333e-03,
    -2.469976e-03, 5.973674e-04,  3.870062e-03,  5.836001e-03,  5.361358e-03,  2.288651e-03,
    -2.336137e-03, -6.570962e-03, -8.357497e-03, -6.474837e-03, -1.244424e-03, 5.384310e-03,
    1.050001e-02,  1.144832e-02,  7.116966e-03,  -1.300788e-03, -1.049672e-02, -1.624858e-02,
    -1.523369e-02, -6.721579e-03, 6.639869e-03,  1.943935e-02,  2.546461e-02,  2.036529e-02,
    3.978417e-03,  -1.871480e-02, -3.859422e-02, -4.522870e-02, -3.063891e-02, 7.353537e-03,
    6.350284e-02,  1.260008e-01,  1.797002e-01,  2.106926e-01,
};

constexpr std::array<double, kDecimationTaps> mirrored() {
    std::array<double, kDecimationTaps> taps{};
    for (int k = 0; k < kDecimationTaps / 2; ++k) {
        taps[k] = kFirstHalf[k];
        taps[kDecimationTaps - 1 - k] = kFirstHalf[k];
    }
    return taps;
}

constexpr std::array<double, kDecimationTaps> kTaps = mirrored();

}  // namespace

const std::array<double, kDecimationTaps>& decimationTaps() {
    return kTaps;
}

double decimationLowPass(const double* window) {
    return firDot(kTaps.data(), window, kDecimationTaps);
}

}  // namespace kestrel
