#include <algorithm>
#include <cmath>
#include <numbers>

#include "lab/lab.h"

namespace kestrel::lab {

double Gaussian::nextUniform() {
    return static_cast<double>(bits_() >> 11) * 0x1.0p-53;
}

double Gaussian::next() {
    if (haveSpare_) {
        haveSpare_ = false;
        return spare_;
    }
    const double u1 = 1.0 - nextUniform();  // (0, 1]
    const double u2 = nextUniform();
    const double r = std::sqrt(-2.0 * std::log(u1));
    spare_ = r * std::sin(2.0 * std::numbers::pi * u2);
    haveSpare_ = true;
    return r * std::cos(2.0 * std::numbers::pi * u2);
}

double noiseVariance(double signalPower, double snrDb, int rate) {
    const double noiseInBand = signalPower / std::pow(10.0, snrDb / 10.0);
    return noiseInBand * (rate / 2.0) / kNoiseBandwidth;
}

void addNoise(Audio& audio, double signalPower, double snrDb, std::uint64_t seed) {
    Gaussian g(seed);
    const double sigma = std::sqrt(noiseVariance(signalPower, snrDb, audio.rate));
    for (double& x : audio.samples) x += sigma * g.next();
}

std::vector<std::complex<double>> rayleighPathGains(double spreadHz, double power, int rate,
                                                    std::size_t count, std::uint64_t seed) {
    // Complex white Gaussian noise at a low rate, shaped by a Gaussian filter whose power
    // response exp(-f^2 / (2 s^2)) has s = spread / 2, then interpolated to the audio rate.
    // The filter's time-domain deviation follows from s: 1 / (2 sqrt(2) pi s).
    Gaussian g(seed);
    const double s = spreadHz / 2.0;
    const double lowRate = std::max(100.0, 40.0 * spreadHz);
    const double deviation = 1.0 / (2.0 * std::numbers::sqrt2 * std::numbers::pi * s) * lowRate;
    const int half = static_cast<int>(std::ceil(4.0 * deviation));
    std::vector<double> h(2 * half + 1);
    double energy = 0.0;
    for (int k = -half; k <= half; ++k) {
        h[k + half] = std::exp(-0.5 * k * k / (deviation * deviation));
        energy += h[k + half] * h[k + half];
    }
    // Unit-energy filter on unit-power noise keeps the power; each part carries half of it.
    const double scale = std::sqrt(power / 2.0 / energy);
    const auto lowCount = static_cast<std::size_t>(static_cast<double>(count) * lowRate / rate) + 2;
    std::vector<std::complex<double>> white(lowCount + h.size());
    for (auto& w : white) w = {g.next(), g.next()};
    std::vector<std::complex<double>> low(lowCount);
    for (std::size_t i = 0; i < lowCount; ++i) {
        std::complex<double> sum = 0.0;
        for (std::size_t k = 0; k < h.size(); ++k) sum += h[k] * white[i + k];
        low[i] = scale * sum;
    }
    std::vector<std::complex<double>> gains(count);
    for (std::size_t n = 0; n < count; ++n) {
        const double t = static_cast<double>(n) * lowRate / rate;
        const auto i = static_cast<std::size_t>(t);
        const double f = t - static_cast<double>(i);
        gains[n] = low[i] * (1.0 - f) + low[i + 1] * f;
    }
    return gains;
}

std::vector<std::complex<double>> analyticSignal(const Audio& audio) {
    // Blackman-windowed Hilbert transformer, 64 taps each side per 12000 samples/s, so its
    // pass band (about 150 Hz to rate/2 - 150 Hz) is the same in hertz at every rate.
    const int half = 64 * std::max(1, audio.rate / 12000);
    std::vector<double> h(2 * half + 1, 0.0);
    for (int k = -half; k <= half; ++k) {
        if (k % 2 == 0) continue;
        const double w = 0.42 + 0.5 * std::cos(std::numbers::pi * k / half) +
                         0.08 * std::cos(2.0 * std::numbers::pi * k / half);
        h[k + half] = 2.0 / (std::numbers::pi * k) * w;
    }
    const auto& x = audio.samples;
    const auto n = static_cast<long>(x.size());
    std::vector<std::complex<double>> a(x.size());
    for (long i = 0; i < n; ++i) {
        double q = 0.0;
        const long from = std::max(-static_cast<long>(half), i - n + 1);
        const long to = std::min(static_cast<long>(half), i);
        for (long k = from; k <= to; ++k) q += h[k + half] * x[i - k];
        a[i] = {x[i], q};
    }
    return a;
}

Audio watterson(const Audio& audio, const FadingProfile& profile, std::uint64_t seed) {
    const auto a = analyticSignal(audio);
    const std::size_t n = a.size();
    const auto g1 = rayleighPathGains(profile.spreadHz, 0.5, audio.rate, n, seed);
    const auto g2 =
        rayleighPathGains(profile.spreadHz, 0.5, audio.rate, n, seed ^ 0x9E3779B97F4A7C15ULL);
    const auto delay = static_cast<std::size_t>(std::lround(profile.delay * audio.rate));
    Audio out;
    out.rate = audio.rate;
    out.samples.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        std::complex<double> y = g1[i] * a[i];
        if (i >= delay) y += g2[i] * a[i - delay];
        out.samples[i] = y.real();
    }
    return out;
}

}  // namespace kestrel::lab
