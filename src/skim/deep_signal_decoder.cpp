#include "skim/deep_signal_decoder.h"

#include <memory>

#include "decode/deep_decoder.h"
#include "decode/received_char_emitter.h"
#include "frontend/mixer_phase.h"
#include "platform/logger_codes.h"
#include "platform/logger_port.h"
#include "settings/settings_load.h"

namespace kestrel::skim {
namespace {

// Where the signal's centre sits in the audio Deep hears: its usual tones.
constexpr double kCentreHz = 2210.0;

int baudIndexOf(double baud) {
    return baud > 60 ? 2 : baud > 48 ? 1 : 0;
}

// The receive chain's rate at a baud rate, which Deep is made for.
double chainRate(double baud) {
    return sampleRateForBaudIndex(baudIndexOf(baud));
}

class DeepSignalDecoder final : public SignalDecoder, private LoggerPort {
  public:
    DeepSignalDecoder(const SignalFormat& format, DecodedText& out)
        : out_(out), step_(kCentreHz / format.sampleRate), emitter_(state_, *this) {
        state_.Decodemode = kDecodeDeep;
        state_.SquelchState = 1;  // text only while a signal is there, as under a logger
        state_.afcOff = 1;        // the skimmer follows the signal before it comes here
        state_.baudIndex = baudIndexOf(format.baud);
        state_.sampleRate = static_cast<int>(format.sampleRate + 0.5);
        state_.markFrequency = kCentreHz - format.shiftHz / 2;
        state_.spaceFrequency = kCentreHz + format.shiftHz / 2;
        deep_ = std::make_unique<DeepDecoder>(state_, emitter_);
    }

    // A baseband sample z of a tone at f is the tone's half amplitude turning at f - centre:
    // twice its real part, turned up by the centre, is the tone itself.
    void process(std::span<const std::complex<double>> baseband) override {
        for (const std::complex<double> z : baseband) {
            phase_ = advancePhase(phase_, step_);
            const Phasor p = phasorOfCycles(phase_);
            deep_->takeSample(2.0 * (z.real() * p.cos - z.imag() * p.sin));
        }
    }

  private:
    bool post(std::uint32_t code, std::int64_t value) override {
        if (code == TXM_CHAR) out_.character(static_cast<char16_t>(value));
        return true;
    }

    DecodedText& out_;
    double step_;
    double phase_ = 0.0;
    ModemState state_;
    ReceivedCharEmitter emitter_;
    std::unique_ptr<DeepDecoder> deep_;
};

}  // namespace

DecoderKind deepDecoderKind() {
    return {
        chainRate,
        [](const SignalFormat& format, DecodedText& out) {
            return std::unique_ptr<SignalDecoder>(std::make_unique<DeepSignalDecoder>(format, out));
        },
        true, true};
}

}  // namespace kestrel::skim
