#include "skim/tone_decoder.h"

#include <array>
#include <numbers>

#include "decode/decoder_dispatch.h"
#include "decode/framing.h"
#include "decode/received_char_emitter.h"
#include "frontend/filter_design.h"
#include "frontend/fir.h"
#include "frontend/mirrored_ring.h"
#include "frontend/mixer_phase.h"
#include "platform/logger_codes.h"
#include "platform/logger_port.h"
#include "platform/save_text_file_port.h"

namespace kestrel::skim {
namespace {

// Every speed runs at 66 tone-filter samples per bit, as in the receive chain.
double toneRate(double baud) {
    return kSamplesPerBit * baud;
}

class ToneDecoder final : public SignalDecoder,
                          private LoggerPort,
                          private ReceiveMeasurements {
  public:
    ToneDecoder(DecodeMode mode, const SignalFormat& format, DecodedText& out)
        : out_(out),
          step_(format.shiftHz / 2 / format.sampleRate),
          taps_(mode == kDecodeSpread ? alternativeToneFilter().data()
                                      : standardToneFilter().data()),
          emitter_(state_, *this),
          framing_(state_, emitter_, *this, noFile_),
          dispatch_(state_, framing_, designEqualisedRaisedCosine) {
        state_.Decodemode = mode;
        state_.SquelchState = 1;  // text only while a signal is there, as under a logger
        state_.sampleRate = static_cast<int>(4 * format.sampleRate + 0.5);
    }

    void process(std::span<const std::complex<double>> baseband) override {
        for (const std::complex<double> z : baseband) {
            // The mark sits below the centre: turning the samples up by half the shift
            // brings it to 0 Hz, turning them down brings the space there.
            phase_ = advancePhase(phase_, step_);
            const Phasor p = phasorOfCycles(phase_);
            const std::complex<double> up(p.cos, p.sin);
            const std::complex<double> mark = z * up, space = z * std::conj(up);
            mixed_[0].put(d_, mark.real());
            mixed_[1].put(d_, mark.imag());
            mixed_[2].put(d_, space.real());
            mixed_[3].put(d_, space.imag());
            const double* windows[4];
            for (int r = 0; r < 4; ++r) windows[r] = mixed_[r].window(d_, kToneFilterTaps);
            double filtered[4];
            firDot4(taps_, windows, kToneFilterTaps, filtered);
            rings_.markI[d_] = filtered[0];
            rings_.markQ[d_] = filtered[1];
            rings_.spaceI[d_] = filtered[2];
            rings_.spaceQ[d_] = filtered[3];
            dispatch_.decodeDispatch(d_, rings_);
            d_ = (d_ + 1) % kToneRingSize;
        }
    }

  private:
    bool post(std::uint32_t code, std::int64_t value) override {
        if (code == TXM_CHAR) out_.character(static_cast<char16_t>(value));
        return true;
    }
    void tuningOffset(int) override {}
    void afcTones(double, double) override {}
    void bitLength(int) override {}
    void signalToNoise(std::optional<int>) override {}
    void spectrumReady() override {}
    void spectrumFailed() override {}

    DecodedText& out_;
    double step_;
    double phase_ = 0.0;
    const double* taps_;
    ModemState state_;
    NoSaveTextFile noFile_;
    std::array<MirroredRing<kToneRingSize>, 4> mixed_{};
    ToneFilterRings rings_;
    int d_ = 0;
    ReceivedCharEmitter emitter_;
    Framing framing_;
    DecoderDispatch dispatch_;
};

}  // namespace

DecoderKind toneDecoderKind(DecodeMode decodeMode) {
    return {toneRate, [decodeMode](const SignalFormat& format, DecodedText& out) {
                return std::unique_ptr<SignalDecoder>(
                    std::make_unique<ToneDecoder>(decodeMode, format, out));
            }};
}

}  // namespace kestrel::skim
