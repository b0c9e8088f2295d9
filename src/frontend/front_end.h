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
#include "platform/logger_port.h"
#include "platform/ui_port.h"

namespace kestrel {

constexpr int kBatchLength = 2048;

// What the front end hands each sample to, as it arrives, while Deep is the decode mode.
class DeepSampleSink {
  public:
    virtual ~DeepSampleSink() = default;
    virtual void takeSample(double x) = 0;
};

struct FrontEnd {
    FrontEnd(ModemState& state, LoggerPort& logger, UiPort& ui, ReceiveMeasurements& measurements)
        : state(state), tones(state), afc(state, logger, measurements), spectrum(state, ui) {}

    // Where the tone filters hand each new decimated sample (the decoders).
    void setDecodeSink(DecodeDispatchSink* sink) { tones.sink = sink; }
    // Where each sample goes while Deep decodes (it needs no tone filters).
    void setDeepSink(DeepSampleSink* sink) { deep = sink; }

    // The low-pass live audio passes before processSample.
    double inputLowPass(double x) { return input.inputLowPass(x); }

    // One sample at sampleRate, from the capture thread, the WAV player or the pause replay.
    void processSample(double x);

    ModemState& state;
    InputLowPass input;
    PauseHistory pauseHistory;
    std::array<double, kBatchLength> batch{};
    int batchCount = 0;
    ToneFront tones;
    Afc afc;
    Spectrum spectrum;
    DeepSampleSink* deep = nullptr;
};

}  // namespace kestrel
