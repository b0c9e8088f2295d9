#pragma once
// The receive front end: every processed sample enters here. It keeps the pause history,
// runs the AFC and the spectrum on each sample, and runs the tone filters (and through
// them the decoders) in bursts of 2048 samples.
#include <array>

#include "frontend/afc.h"
#include "frontend/input_low_pass.h"
#include "frontend/pause_history.h"
#include "frontend/receive_measurements.h"
#include "frontend/spectrum.h"
#include "frontend/tone_front.h"
#include "modem_state.h"

namespace kestrel {

constexpr int kBatchLength = 2048;

// What the front end hands each sample to, as it arrives, while Deep is the decode mode.
class DeepSampleSink {
  public:
    virtual ~DeepSampleSink() = default;
    virtual void takeSample(double x) = 0;
};

class FrontEnd {
  public:
    FrontEnd(ModemState& state, ReceiveMeasurements& measurements)
        : state_(state), tones_(state), afc_(state, measurements), spectrum_(state, measurements) {}

    // Where the tone filters hand each new decimated sample (the decoders).
    void setDecodeSink(DecodeDispatchSink* sink) { tones_.sink = sink; }
    // Where each sample goes while Deep decodes (it needs no tone filters).
    void setDeepSink(DeepSampleSink* sink) { deep_ = sink; }

    // The low-pass live audio passes before processSample.
    double inputLowPass(double x) { return input_.inputLowPass(x); }

    // One sample at sampleRate, from the capture thread, the WAV player or the pause replay.
    void processSample(double x);

    // The spectrum trace as last drawn, and the recent audio the pause replays.
    const std::array<SpectrumPoint, kSpectrumPoints>& spectrumTrace() const {
        return spectrum_.spectrumPoints;
    }
    PauseHistory& pauseHistory() { return pauseHistory_; }

  private:
    ModemState& state_;
    InputLowPass input_;
    PauseHistory pauseHistory_;
    std::array<double, kBatchLength> batch_{};
    int batchCount_ = 0;
    ToneFront tones_;
    Afc afc_;
    Spectrum spectrum_;
    DeepSampleSink* deep_ = nullptr;
};

}  // namespace kestrel
