#pragma once
// The magnitude response of a set of FIR taps, measured by direct summation.
#include <cmath>
#include <complex>
#include <numbers>

namespace kestrel::testing {

// |H| at `f`, a fraction of the sample rate.
template <class Taps>
double firGain(const Taps& taps, double f) {
    std::complex<double> sum;
    for (std::size_t k = 0; k < taps.size(); ++k) {
        sum += taps[k] * std::polar(1.0, -2.0 * std::numbers::pi * f * static_cast<double>(k));
    }
    return std::abs(sum);
}

template <class Taps>
double firGainDb(const Taps& taps, double f) {
    return 20.0 * std::log10(firGain(taps, f));
}

// The largest gain in dB over [from, to], a fraction of the sample rate, in `steps` steps.
template <class Taps>
double worstGainDb(const Taps& taps, double from, double to, int steps) {
    double worst = -1e9;
    for (int s = 0; s <= steps; ++s) {
        worst = std::max(worst, firGainDb(taps, from + (to - from) * s / steps));
    }
    return worst;
}

}  // namespace kestrel::testing
