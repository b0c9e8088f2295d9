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
#include "skim/catmull_rom.h"

namespace kestrel::skim {
namespace {

// The tone filters run at a quarter of the receive chain's 66 samples per bit: their
// outputs, a baud or so wide, are interpolated back to 66 per bit for the decoders, which
// see what the chain's full-rate filters would give them. The filters keep the chain's
// response and length in time, with a quarter of the taps.
constexpr int kToneDecimation = 4;
constexpr int kTaps = kToneFilterTaps / kToneDecimation;
constexpr double kDesignRate = 3000.0 / kToneDecimation;  // the chain's, at 45.45 baud

double toneRate(double baud) {
    return kSamplesPerBit * baud / kToneDecimation;
}

struct ToneTaps {
    std::array<double, kTaps> standard, alternative;
};

const ToneTaps& toneTaps() {
    static const ToneTaps taps = [] {
        ToneTaps t;
        designEqualisedRaisedCosine(t.standard.data(), kTaps, 1.0, kDesignRate, 500.0 / 11.0);
        designEqualisedRaisedCosine(t.alternative.data(), kTaps, 0.85, kDesignRate, 1000.0 / 11.0);
        return t;
    }();
    return taps;
}

// Catmull-Rom weights for points a quarter, a half and three quarters of the way from
// the second of four samples to the third (and none of the way).
struct Weights {
    std::array<std::array<double, 4>, kToneDecimation> w;
};

const Weights& interpolation() {
    static const Weights weights = [] {
        Weights ws;
        for (int k = 0; k < kToneDecimation; ++k)
            ws.w[k] = catmullRomWeights(static_cast<double>(k) / kToneDecimation);
        return ws;
    }();
    return weights;
}

class ToneDecoder final : public SignalDecoder, private LoggerPort, private ReceiveMeasurements {
  public:
    ToneDecoder(DecodeMode mode, const SignalFormat& format, DecodedText& out)
        : out_(out),
          step_(format.shiftHz / 2 / format.sampleRate),
          taps_(mode == kDecodeSpread ? toneTaps().alternative.data() : toneTaps().standard.data()),
          emitter_(state_, *this),
          text_(state_, emitter_, noFile_),
          framing_(state_, text_, *this),
          dispatch_(state_, framing_, designEqualisedRaisedCosine) {
        state_.Decodemode = mode;
        state_.SquelchState = 1;  // text only while a signal is there, as under a logger
        state_.sampleRate = static_cast<int>(4 * kToneDecimation * format.sampleRate + 0.5);
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
            for (int r = 0; r < 4; ++r) windows[r] = mixed_[r].window(d_, kTaps);
            for (int r = 0; r < 4; ++r)
                for (int k = 0; k < 3; ++k) filtered_[r][k] = filtered_[r][k + 1];
            double newest[4];
            firDot4(taps_, windows, kTaps, newest);
            for (int r = 0; r < 4; ++r) filtered_[r][3] = newest[r];
            d_ = (d_ + 1) % kTaps;
            // Between the second and the third of the last four outputs.
            for (const auto& w : interpolation().w) {
                double out[4];
                for (int r = 0; r < 4; ++r)
                    out[r] = w[0] * filtered_[r][0] + w[1] * filtered_[r][1] +
                             w[2] * filtered_[r][2] + w[3] * filtered_[r][3];
                rings_.markI[e_] = out[0];
                rings_.markQ[e_] = out[1];
                rings_.spaceI[e_] = out[2];
                rings_.spaceQ[e_] = out[3];
                dispatch_.decodeDispatch(e_, rings_);
                e_ = (e_ + 1) % kToneRingSize;
            }
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
    std::array<MirroredRing<kTaps>, 4> mixed_{};
    double filtered_[4][4]{};  // the last four outputs of each filter, oldest first
    ToneFilterRings rings_;
    int d_ = 0;  // in the filters' input rings
    int e_ = 0;  // in the decoders' rings
    ReceivedCharEmitter emitter_;
    ReceivedText text_;
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
