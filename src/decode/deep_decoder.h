#pragma once
// The Deep decoder: a receiver built to copy weak and fading signals, which takes the
// samples as they come rather than in the blocks of the tone filters, so a character is
// printed as soon as its stop element has been decided.
//
// Each tone is mixed to baseband and integrated over one element (the filter matched to a
// square element), the element sums then averaged over a few steps more, sampled every
// kStep samples. Each element's value is the log-likelihood ratio of mark against space,
// weighed by each tone's own signal and noise levels, so a tone in a fade counts for less;
// a run of one tone is then weighed as one coherent sum, since a sender's tone keeps its
// phase while it stays on. A character is decided whole: its start is the position that
// best fits a start, five data and a stop element and the mark before it, with the previous
// character's clock as a prior while text runs back to back, and a fresh hunt after idle.
#include <array>
#include <complex>
#include <cstdint>

#include "decode/baudot_decoder.h"
#include "decode/received_char_emitter.h"
#include "decode/received_text.h"
#include "decode/shift_doubt.h"
#include "decode/squelch_hold.h"
#include "frontend/front_end.h"
#include "modem_state.h"

namespace kestrel {

// One decided character, with how sure each of its data elements was.
struct DeepCharacter {
    std::uint8_t code = 0;
    bool framed = false;             // start element space and stop element mark
    std::array<double, 5> values{};  // the data elements' log-likelihood ratios, > 0 mark
};

class DeepDecoder final : public DeepSampleSink {
  public:
    DeepDecoder(const ModemState& state, ReceivedCharEmitter& emitter);

    void takeSample(double x) override;
    // Every character decided, before the squelch, also goes to the Save Text file here.
    void saveTo(ReceivedText* text) { saved_ = text; }

    static constexpr int kStep = 8;        // samples per integration step
    static constexpr int kHistory = 2048;  // steps kept, a power of two

    BaudotDecoder baudot;

  private:
    struct ToneLevel {
        double signal = 0.0;  // mean square of the element sum while the tone is on
        double square = 0.0;  // mean of its square, for how much the level moves
        double noise = 0.0;   // mean square while it is off
        int onCount = 0, offCount = 0;
        double amplitude() const;
        double noiseFloor() const;
        double snr() const;  // amplitude squared over the noise floor
    };
    enum class Phase { hunt, frame };
    // The levels a decision is weighed by: each tone's amplitude and noise mean square.
    struct Levels {
        double markAmplitude, markNoise, spaceAmplitude, spaceNoise;
    };
    // A decided element, kept so the levels around a character can be measured.
    struct Element {
        std::int64_t end;
        double mark2, space2;  // squared element sums
        bool markOn;
    };
    static constexpr int kElementHistory = 32;

    const ToneLevel& markLevel() const;  // the tone's own levels, or the other's until heard
    const ToneLevel& spaceLevel() const;
    void restart();
    bool sumStep();  // false while the first element is not yet known
    void setMixers();
    void mix(double x);
    void hearAgain(std::int64_t from);
    std::complex<double> quarterTurns(bool mark, std::int64_t end) const;
    void tuneToArrival(std::int64_t from, std::int64_t onset);
    void advance();
    Levels runningLevels() const;
    Levels levelsAround(std::int64_t t0, std::uint8_t code, std::int64_t element) const;
    double llr(std::int64_t end) const { return llr(end, runningLevels()); }
    double llr(std::int64_t end, const Levels& l) const;  // element ending at `end`: > 0 mark
    DeepCharacter decideCharacter(std::int64_t t0) const;
    void decideByRuns(std::int64_t t0, DeepCharacter& c) const;
    void frameElements(std::int64_t t0, std::uint8_t code, std::array<Element, 8>& out) const;
    double frameScore(std::int64_t t0) const;
    void relearnLostTone();
    void joinTones();
    void hearJoined();
    std::int64_t betterFrame(std::int64_t t0, double scale) const;
    void newSignal();
    double elementSnr() const;
    void decideFrame();
    void huntFrom(std::int64_t at);
    bool signalArrived(std::int64_t t0);
    void learnLevels(std::int64_t t0, std::uint8_t code);
    void followTones(const std::array<Element, 8>& own);
    void retune(double markHz, double spaceHz);
    double hertzOfTurn(std::complex<double> turn, int steps) const;
    void decided(const DeepCharacter& c, std::int64_t t0);
    void settleDoubt();
    void print(const ShiftDoubt::Held& c);
    double weakerEndDb(std::int64_t t0, std::uint8_t code) const;
    bool silentFrame(std::int64_t t0) const;

    const ModemState& state_;
    ReceivedCharEmitter& emitter_;

    // Mixers and the integration of the current step.
    int rate_ = 0;
    double baud_ = 0.0;
    int elementSteps_ = 33;
    std::complex<double> markPhasor_{1.0, 0.0}, spacePhasor_{1.0, 0.0};
    std::complex<double> markRotation_, spaceRotation_;
    std::complex<double> markPart_, spacePart_;
    int inStep_ = 0;
    // The samples of the history, so that it can be heard again at other tones.
    static constexpr std::int64_t kHeardMask = kHistory * kStep - 1;
    std::array<float, kHistory * kStep> heard_{};
    double markOffset_ = 0.0, spaceOffset_ = 0.0;  // Hz below the set tones
    bool tracking_ = false;  // Deep follows the tones itself (else the AFC's offsets)
    // While the AFC's tones stay parted: 1 the space heard at the mark's offset, -1 the
    // mark at the space's, 0 each at its own.
    int joined_ = 0;

    // Per step: the partial sums, and the sum of the element ending there with its
    // magnitude.
    std::array<std::complex<double>, kHistory> markParts_{}, spaceParts_{};
    std::array<std::complex<double>, kHistory> markElement_{}, spaceElement_{};
    std::array<double, kHistory> markMagnitude_{}, spaceMagnitude_{};
    std::complex<double> markSum_, spaceSum_;
    std::int64_t steps_ = 0;  // steps whose element values are known; the newest is steps_ - 1
    // The element sums, averaged again over smoothSteps_ of them centred on each: the value
    // of the element ending at a step is known smoothSteps_ / 2 steps after it.
    static constexpr int kSmoothRing = 64;  // a power of two above any smoothSteps_
    int smoothSteps_ = 1;
    std::int64_t mixed_ = 0;  // steps mixed and summed
    std::array<std::complex<double>, kSmoothRing> markSums_{}, spaceSums_{};
    std::complex<double> markSmooth_, spaceSmooth_;

    // How steadily each tone's phase runs on from one element to the next while it stays
    // on: the mean of successive element sums' turns, and of their magnitudes.
    struct Coherence {
        std::complex<double> turn;
        double magnitude = 0.0;
        int pairs = 0;
        bool steady() const;    // turning little enough for its runs to be summed
        bool agreeing() const;  // turning alike enough to show the tone's own error
    };
    void learnCoherence(const std::array<Element, 8>& own);

    ToneLevel mark_, space_;
    Coherence markCoherence_, spaceCoherence_;
    std::array<Element, kElementHistory> history_{};
    int historyCount_ = 0;  // elements ever kept (the ring holds the newest)

    Phase phase_ = Phase::hunt;
    std::int64_t huntAt_ = 0;
    std::int64_t windowLow_ = 0, windowHigh_ = 0;
    bool prior_ = false;
    double clock_ = 0.0;     // the last character's start as the clock has it, in steps
    double period_ = 0.0;    // the character period the clock has learned
    double expected_ = 0.0;  // where the clock puts the next start
    int framingMisses_ = 0;
    std::int64_t idleFrom_ = -1;  // where idle mark or silence began after a character, or -1
    int misframed_ = 0;           // characters in a row a frame elsewhere has fitted clearly better
    int late_ = 0;  // characters in a row the frame one element earlier has fitted better
    ShiftDoubt doubt_;
    SquelchHold squelch_;
    ReceivedText* saved_ = nullptr;
};

}  // namespace kestrel
