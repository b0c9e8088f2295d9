// One signal of the skimmer, from the shared input to text: a decimating mixer that
// brings the signal's centre to 0 Hz (a low-pass against aliasing, computed only at the
// decimated instants), the AFC that follows it, the speed it is found to have, a
// resampler to the rate its decoder wants, and the decoder.
#pragma once

#include <complex>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frontend/mirrored_ring.h"
#include "skim/carrier_canceller.h"
#include "skim/signal_decoder.h"

namespace kestrel::skim {

// A real low-pass over complex samples. Until it is given taps (of the length it was made
// for) it passes samples through.
class ComplexLowPass {
  public:
    explicit ComplexLowPass(std::size_t length = 0)
        : re_(static_cast<int>(length)), im_(static_cast<int>(length)) {}
    void use(const std::vector<double>& taps) { taps_ = &taps; }
    std::complex<double> take(std::complex<double> z);

  private:
    const std::vector<double>* taps_ = nullptr;
    MirroredBuffer re_, im_;
    int at_ = 0;
};

// What every channel of one skim shares.
struct ChannelPlan {
    int inputRate = 48000;
    int decimation = 16;          // input samples per channel sample
    std::vector<double> lowPass;  // the anti-alias low-pass at inputRate, a multiple of 8 long
    std::vector<double> signalLowPass;  // the signal's own low-pass, at the channel rate
    // For a decoder that hears only the keyed signal, a low-pass for each of `bauds` (all
    // of one length).
    std::vector<std::vector<double>> keyedLowPass;
    double shiftHz = 170;
    std::vector<double> bauds;  // the speeds a signal may have; one means no search
    DecoderKind decoder;

    double channelRate() const { return static_cast<double>(inputRate) / decimation; }
};

// The plan for an input rate: the decimation to a little above 3000 samples/s and its
// low-pass, flat over the signal, down by about 74 dB where it would fold back onto it;
// then a narrower low-pass around the signal, which leaves the AFC and the resampler to
// the decoder's rate nothing from outside the signal; and where the decoder asks for it,
// one just wider than the keyed signal once its speed is known.
ChannelPlan channelPlan(int inputRate, double shiftHz, std::vector<double> bauds,
                        DecoderKind decoder);

// A decoded line, as the channel ends it.
struct DecodedLine {
    double time = 0;  // seconds from the input's start, at its first character
    std::string text;
    double baud = 0;  // the speed it was decoded at
};

class SignalChannel final : private DecodedText {
  public:
    // A channel opened at input sample `opened` is also fed the samples before it (the
    // signal began before it was found), but judges its keying on what comes after: the
    // seconds before may hold no signal.
    SignalChannel(const ChannelPlan& plan, CarrierSearch& carriers, double markHz,
                  std::int64_t opened);
    SignalChannel(const SignalChannel&) = delete;
    SignalChannel& operator=(const SignalChannel&) = delete;

    // At input sample `newest` (counted from the input's start) with every decimation-th
    // sample: the plan's low-pass length of input ending there, oldest first.
    void decimated(const double* window, std::int64_t newest);

    // The mark tone where the AFC has followed it.
    double markHz() const { return centreHz_ + afcHz_ - plan_.shiftHz / 2; }
    // The speed found; 0 while it is still being measured.
    double baud() const { return baud_; }

    // Whether the two tones are one signal's, keyed in turn (one on while the other is
    // off), or two tones keyed each on its own: the space of one station and the mark of
    // its neighbour one shift above, or a station's tone and a carrier. Unknown for the
    // first second or so.
    enum class Keying { unknown, complementary, independent };
    Keying keying() const { return keying_; }

    // Lines ended since the last call; end() ends the open one too.
    std::vector<DecodedLine> takeLines();
    void end();

  private:
    void character(char16_t c) override;
    void follow(std::complex<double> z);
    void measureSpeed();
    void takeRuns();
    double speedFit(std::size_t speed) const;  // of the sharp or the smooth runs, the better
    std::size_t bestSpeed() const;
    void judgeSpeedAgain();
    void chooseSpeed(std::size_t speed);  // an index into the plan's bauds
    void resample(std::complex<double> z);

    const ChannelPlan& plan_;
    double centreHz_;  // where the signal was found: the AFC follows it from there
    std::vector<double> tapsRe_, tapsIm_;  // the low-pass turned up to the centre
    double now_ = 0;                       // seconds, of the sample being processed
    ComplexLowPass narrow_, keyed_;
    CarrierCanceller carrier_;

    // The AFC: the fine mixer, and each tone through box filters one over the shift
    // long, whose nulls fall on the other tone: one for the speed, three for the AFC.
    static constexpr int kBoxes = 3;
    double afcHz_ = 0, afcPhase_ = 0, tonePhase_ = 0;
    // What the fine mixer moves: the AFC's estimate, or nothing for a decoder that follows
    // the tones itself (a retune under it would break the phase it sums runs of one tone by).
    double mixedAfcHz() const { return plan_.decoder.followsTones ? 0.0 : afcHz_; }
    std::vector<std::complex<double>> markBox_[kBoxes], spaceBox_[kBoxes];
    std::complex<double> markSum_[kBoxes], spaceSum_[kBoxes], lastMark_, lastSpace_;
    int box_ = 0;
    std::complex<double> turn_;
    double energy_ = 0;
    int blockCount_ = 0;

    // The keying: over each AFC block, the tones' powers' covariance and variances
    // (within a block, so that fading does not count), summed over the blocks.
    Keying keying_ = Keying::unknown;
    double judgedFrom_;  // seconds: when the channel opened
    double sumM_ = 0, sumS_ = 0, sumMM_ = 0, sumSS_ = 0, sumMS_ = 0;
    double covariance_ = 0, varianceM_ = 0, varianceS_ = 0, keyedSeconds_ = 0;
    bool judgeKeying();  // at the end of an AFC block: whether it was keyed as one signal

    // The speed: run lengths of the tone decisions until one speed fits them.
    double baud_ = 0;
    std::size_t speed_ = 0;  // baud_'s index in the plan
    // Measured twice: through one box, whose edges stay sharp at 75 Bd even in a fade, and
    // through all three, which keep out more of a neighbour's keying; the better fit wins.
    // Each run is judged against every speed of the plan as it ends, so a judgement
    // costs the same however many runs came before.
    struct Runs {
        explicit Runs(std::size_t speeds) : counted(speeds), fitting(speeds) {}
        bool inSpace = false;
        int run = 0;
        std::size_t taken = 0;
        std::vector<int> counted, fitting;  // per speed: runs short enough, runs fitting
        void take(std::complex<double> mark, std::complex<double> space, const ChannelPlan& plan);
        double fit(std::size_t speed) const;
    };
    Runs sharpRuns_, smoothRuns_;
    std::vector<std::complex<double>> held_;  // the signal while its speed is measured
    std::size_t runsJudged_ = 0;              // the runs the speed was last judged on

    // The resampler to the decoder's rate: the last four samples and the position.
    double step_ = 1, position_ = 0;
    std::complex<double> last_[4]{};
    std::vector<std::complex<double>> out_;
    std::unique_ptr<SignalDecoder> decoder_;

    std::string line_;
    double lineTime_ = 0;
    std::vector<DecodedLine> lines_;
};

}  // namespace kestrel::skim
