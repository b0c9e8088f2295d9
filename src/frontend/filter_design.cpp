#include "frontend/filter_design.h"

#include <cmath>
#include <numbers>
#include <numeric>
#include <vector>

#include "frontend/kiss_fft_plan.h"

namespace kestrel {
namespace {

constexpr int kDesignBins = 8192;
constexpr double kUnsetTap = 0.0001;  // what the taps beyond the impulse response keep

// Target response at f Hz: x/sin x equalisation times the raised-cosine roll-off.
double designResponse(double f, double alpha, double symbolTime) {
    if (f > (1.0 + alpha) / (2.0 * symbolTime)) return 0.0;
    const double x = std::numbers::pi * f * symbolTime;
    double h = x / std::sin(x);
    if (f > (1.0 - alpha) / (2.0 * symbolTime)) {
        const double c =
            std::cos((2.0 * f * symbolTime - (1.0 - alpha)) * std::numbers::pi / (4.0 * alpha));
        h *= c * c;
    }
    return h;
}

template <int N>
std::array<double, N> designed(double alpha, double designRate, double symbolRate) {
    std::array<double, N> taps{};
    designEqualisedRaisedCosine(taps.data(), N, alpha, designRate, symbolRate);
    return taps;
}

}  // namespace

void designEqualisedRaisedCosine(double* taps, int n, double alpha, double designRate,
                                 double symbolRate) {
    std::fill(taps, taps + n, kUnsetTap);
    const double symbolTime = 1.0 / symbolRate;

    std::vector<kiss_fft_cpx> spectrum(kDesignBins, kiss_fft_cpx{0.0, 0.0});
    std::vector<kiss_fft_cpx> impulse(kDesignBins);
    spectrum[0].r = 1.0;
    for (int k = 1; k < kDesignBins / 2; ++k) {
        const double h = designResponse(k * designRate / kDesignBins, alpha, symbolTime);
        spectrum[k].r = h;
        spectrum[kDesignBins - k].r = h;
    }
    KissFftPlan(kDesignBins, true).run(spectrum.data(), impulse.data());

    // The response is even, so the real part of the inverse transform is the impulse
    // response centred on tap n/2.
    const int centre = n / 2;
    taps[centre] = impulse[0].r / kDesignBins;
    for (int k = 1; k < centre; ++k) {
        const double h = impulse[k].r / kDesignBins;
        taps[centre - k] = h;
        taps[centre + k] = h;
    }
    const double sum = std::accumulate(taps, taps + n, 0.0);
    for (int k = 0; k < n; ++k) taps[k] /= sum;
}

const std::array<double, kInputLowPassTaps>& inputLowPassFilter() {
    static const auto taps = designed<kInputLowPassTaps>(0.3, 12000.0, 7000.0);
    return taps;
}

const std::array<double, kToneFilterTaps>& standardToneFilter() {
    static const auto taps = designed<kToneFilterTaps>(1.0, 3000.0, 500.0 / 11.0);
    return taps;
}

const std::array<double, kToneFilterTaps>& alternativeToneFilter() {
    static const auto taps = designed<kToneFilterTaps>(0.85, 3000.0, 1000.0 / 11.0);
    return taps;
}

const std::array<double, kAfcFilterTaps>& afcFilter() {
    static const auto taps = designed<kAfcFilterTaps>(1.0, 3000.0, 700.0 / 11.0);
    return taps;
}

}  // namespace kestrel
