#pragma once
// What the lab does to a clean signal on its way to the receiver: white Gaussian noise at
// a stated signal-to-noise ratio and the two-path Watterson model of an HF channel.
// Everything is drawn from fixed seeds, so a run is repeatable to the sample.
#include <complex>
#include <cstdint>
#include <random>
#include <vector>

#include "lab/audio.h"

namespace kestrel::lab {

// Gaussian numbers from a fixed seed, the same with every standard library: the 64-bit
// Mersenne Twister is fully specified, the library's distributions are not, so the
// Box-Muller step is our own.
class Gaussian {
  public:
    explicit Gaussian(std::uint64_t seed) : bits_(seed) {}
    double next();         // mean 0, variance 1
    double nextUniform();  // [0, 1)

  private:
    std::mt19937_64 bits_;
    double spare_ = 0.0;
    bool haveSpare_ = false;
};

// The SNR is signal power over the noise power in a 3000 Hz bandwidth. White noise of
// variance v spreads over rate/2 Hz, so its power in 3000 Hz is v * 3000 / (rate / 2).
constexpr double kNoiseBandwidth = 3000.0;
double noiseVariance(double signalPower, double snrDb, int rate);

// Adds white Gaussian noise for snrDb against signalPower.
void addNoise(Audio& audio, double signalPower, double snrDb, std::uint64_t seed);

struct FadingProfile {
    const char* name;
    double delay;     // seconds between the two paths
    double spreadHz;  // Doppler spread: twice the standard deviation of the Gaussian spectrum
};
inline constexpr FadingProfile kCcirModerate{"CCIR moderate", 0.001, 0.5};
inline constexpr FadingProfile kCcirPoor{"CCIR poor", 0.002, 1.0};

// The complex gain of one Rayleigh path, sample by sample at rate: complex Gaussian noise
// with a Gaussian Doppler spectrum of the given spread and mean power `power`.
std::vector<std::complex<double>> rayleighPathGains(double spreadHz, double power, int rate,
                                                    std::size_t count, std::uint64_t seed);

// The analytic signal of the audio (a windowed Hilbert transformer, centred).
std::vector<std::complex<double>> analyticSignal(const Audio& audio);

// Passes audio through two independent Rayleigh paths of equal mean power (half each, so
// the mean output power equals the input power), the second delayed by profile.delay.
Audio watterson(const Audio& audio, const FadingProfile& profile, std::uint64_t seed);

}  // namespace kestrel::lab
