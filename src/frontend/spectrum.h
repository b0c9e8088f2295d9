#pragma once
// The spectrum strip's computation: the received audio mixed down around the centre
// between mark and space, decimated by 4 and transformed in 810 bins (one bin per pixel),
// then turned into a smoothed trace of up to 731 points that the window paints.
#include <kiss_fft.h>

#include <array>
#include <atomic>
#include <cstdint>

#include "frontend/decimation_low_pass.h"
#include "frontend/kiss_fft_plan.h"
#include "frontend/mirrored_ring.h"
#include "frontend/receive_measurements.h"
#include "modem_state.h"

namespace kestrel {

constexpr int kSpectrumBins = 810;       // 2·3⁴·5: the transform needs mixed radix
constexpr int kSpectrumPoints = 731;     // the widest trace
constexpr int kSpectrumMinWidth = 115;   // FFTDisplay's range
constexpr int kSpectrumHeight = 110;     // pixels
constexpr int kSpectrumTopY = 20;        // no trace point is drawn above this
constexpr int kSpectrumRingSize = 2048;  // decimated samples
constexpr int kWavFrameDivider = 32;     // while a .wav file plays, one frame in 32

// Hz per bin (and per pixel) at a processing rate: sampleRate / 4 spread over 810 bins.
inline double spectrumBinWidth(int sampleRate) {
    return sampleRate / (4.0 * kSpectrumBins);
}

// The trace width actually drawn: FFTDisplay, kept within 115..731.
int spectrumWidth(int fftDisplay);

// The audio frequency shown in column x of a trace `width` pixels wide; frequency grows to
// the right and the centre between the tones sits at column width / 2.
double spectrumColumnFrequency(double markFrequency, double spaceFrequency, int sampleRate,
                               int width, int x);

// One trace point. The receive thread writes the trace while the user-interface thread
// paints it, so a paint may show a partly updated trace.
struct SpectrumPoint {
    std::atomic<std::int32_t> x{0};
    std::atomic<std::int32_t> y{0};
};

struct Spectrum {
    Spectrum(const ModemState& state, ReceiveMeasurements& measurements)
        : state(state), measurements(measurements) {}

    // One sample at sampleRate. About 11.7 frames a second at 45.45 baud end in a repaint
    // request.
    void spectrumStep(double x);

    const ModemState& state;
    ReceiveMeasurements& measurements;

    double centrePhase = 0.0;  // cycles
    MirroredRing<kMixerRingSize> mixedI, mixedQ;
    MirroredRing<kSpectrumRingSize> decimatedI, decimatedQ;
    int j = 0;
    int d = 0;
    int frameSkip = 0;
    double spectrumReference = 0.0;
    std::array<SpectrumPoint, kSpectrumPoints> spectrumPoints;
    std::array<std::int32_t, kSpectrumPoints> spectrumSmooth{};

  private:
    bool frameDue();
    void computeFrame();
    double powerTrace();  // fills `levels`, returns the peak

    KissFftPlan plan{kSpectrumBins, false};
    std::array<kiss_fft_cpx, kSpectrumBins> frameIn{};
    std::array<kiss_fft_cpx, kSpectrumBins> frameOut{};
    std::array<double, kSpectrumBins> levels{};  // q: bin powers, lowest bin first
};

}  // namespace kestrel
