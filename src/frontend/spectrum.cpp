#include "frontend/spectrum.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "frontend/mixer_phase.h"

namespace kestrel {
namespace {

// Below this the power is taken as this: silence would otherwise give log10(0).
constexpr double kPowerFloor = 1e-12;

// Four-term Blackman-Harris over the 810 samples of a frame.
const std::array<double, kSpectrumBins>& frameWindow() {
    static const auto window = [] {
        std::array<double, kSpectrumBins> w{};
        for (int n = 0; n < kSpectrumBins; ++n) {
            const double a = 2.0 * std::numbers::pi * n / kSpectrumBins;
            w[n] = 0.35875 - 0.48829 * std::cos(a) + 0.14128 * std::cos(2.0 * a) -
                   0.01168 * std::cos(3.0 * a);
        }
        return w;
    }();
    return window;
}

}  // namespace

int spectrumWidth(int fftDisplay) {
    return std::clamp(fftDisplay, kSpectrumMinWidth, kSpectrumPoints);
}

double spectrumColumnFrequency(double markFrequency, double spaceFrequency, int sampleRate,
                               int width, int x) {
    return (markFrequency + spaceFrequency) / 2.0 + (x - width / 2) * spectrumBinWidth(sampleRate);
}

void Spectrum::spectrumStep(double x) {
    const double rate = state.sampleRate.load();
    centrePhase = advancePhase(
        centrePhase, (state.markFrequency.load() + state.spaceFrequency.load()) / (2.0 * rate));
    const Phasor centre = phasorOfCycles(centrePhase);
    mixedI.put(j, centre.cos * x);
    mixedQ.put(j, centre.sin * x);
    if (j % 4 == 0) {
        decimationLowPass(mixedI, mixedQ, j, decimatedI, decimatedQ, d);
        if (frameDue()) computeFrame();
        d = (d + 1) % kSpectrumRingSize;
    }
    j = (j + 1) % kMixerRingSize;
}

bool Spectrum::frameDue() {
    if ((d & 0xFF) != 1) return false;
    if (state.wavPlaying.load() == 0) {
        frameSkip = 0;
        return true;
    }
    frameSkip = (frameSkip + 1) % kWavFrameDivider;
    return frameSkip == 0;
}

void Spectrum::computeFrame() {
    // The transform is set up once; should that have failed, each frame tries again.
    if (!plan.valid()) plan = KissFftPlan(kSpectrumBins, false);
    if (!plan.valid()) {
        measurements.spectrumFailed();
        return;
    }
    const int newest = (d + kSpectrumRingSize - 1) % kSpectrumRingSize;
    const double* inPhase = decimatedI.window(newest, kSpectrumBins);
    const double* quadrature = decimatedQ.window(newest, kSpectrumBins);
    const auto& window = frameWindow();
    for (int n = 0; n < kSpectrumBins; ++n) {
        frameIn[n] = kiss_fft_cpx{window[n] * inPhase[n], window[n] * quadrature[n]};
    }
    plan.run(frameIn.data(), frameOut.data());

    const double peak = powerTrace();
    spectrumReference = (peak / 2.0 + spectrumReference) / 1.49;
    const double top = 1.2 * spectrumReference;

    const int width = spectrumWidth(state.FFTDisplay.load());
    const int first = (kSpectrumBins - width) / 2;
    for (int i = 0; i < width; ++i) {
        SpectrumPoint& point = spectrumPoints[i];
        point.x.store(width - i, std::memory_order_relaxed);
        const int y = point.y.load(std::memory_order_relaxed);
        const int raised = static_cast<int>((top - levels[first + i]) / 2.0 + y);
        point.y.store(static_cast<int>(raised / 1.5), std::memory_order_relaxed);
    }
    for (int i = 0; i < kSpectrumPoints; ++i) {
        SpectrumPoint& point = spectrumPoints[i];
        std::int32_t& s = spectrumSmooth[i];
        s = s / 6 + (5 * point.y.load(std::memory_order_relaxed)) / 6;
        point.y.store(std::max(kSpectrumTopY, s), std::memory_order_relaxed);
    }
    measurements.spectrumReady();
}

double Spectrum::powerTrace() {
    // The lower half of the transform (bins 405..809, negative frequencies) comes first.
    constexpr int kHalf = kSpectrumBins / 2;
    double peak = 60.0;
    for (int bin = 0; bin < kSpectrumBins; ++bin) {
        const kiss_fft_cpx& c = frameOut[bin];
        const double power = std::max(c.r * c.r + c.i * c.i, kPowerFloor);
        const double level = 23.0 * std::log10(power);
        levels[(bin + kHalf) % kSpectrumBins] = level;
        peak = std::max(peak, std::trunc(level));
    }
    return peak;
}

}  // namespace kestrel
