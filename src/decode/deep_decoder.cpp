#include "decode/deep_decoder.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "decode/audible.h"

namespace kestrel {
namespace {

constexpr std::int64_t kMask = DeepDecoder::kHistory - 1;

// The power of the element ending at step `end`, from a tone's magnitudes.
double powerAt(const std::array<double, DeepDecoder::kHistory>& magnitudes, std::int64_t end) {
    return magnitudes[end & kMask] * magnitudes[end & kMask];
}

// The long averages of each tone: its mean square while on (and the mean of that square,
// for how much the level moves) over about thirty of its elements, the noise while off
// over about forty. What a fade does within a few elements, levelsAround sees.
constexpr double kSignalWeight = 1.0 / 30.0;
constexpr double kNoiseWeight = 1.0 / 40.0;

// The elements around a decision that measure its levels, weighed down by e^(-d) at d
// elements away: CCIR poor fades over some 300 ms, fourteen elements at 45.45 baud, but a
// fade's edge is sharper than that. (e^(-d / 2) before: CCIR poor 0 dB 2.99% against
// 2.74%, +3 dB 1.08% against 0.82%, both with two passes, 30 files.)
constexpr double kLocalElements = 1.0;

// The element sums are averaged over this share of an element around each: a trapezoid
// rather than a square, whose sidelobes fall twice as fast, and which adds a little of an
// element's neighbours, the same tone's (its phase runs on from one element to the next)
// adding coherently. White noise, 45.45 baud, 30 files, CER at -10 / -9 / -8 / -7 dB:
// 16.8 / 7.2 / 2.8 / 0.90% as a square, 13.9 / 6.3 / 2.3 / 0.58% at 0.15 (5 steps),
// 13.5 / 5.5 / 2.0 / 0.68% at 0.27, 14.2 / 6.1 / 2.4 / 0.83% at 0.45; CCIR poor at 0 / +3 dB
// 2.8 / 0.75% as a square, 2.6 / 0.86% at 0.15, 3.1 / 0.96% at 0.33, its delay spread
// smearing the elements' edges.
constexpr double kSmoothElements = 0.15;

// How often a character's data elements are decided, each time on the levels the decisions
// before give: a fade that turned one element first turns its neighbours' levels too.
constexpr int kPasses = 3;

// The share of a tone's mean square that is taken as Rayleigh around its measured level:
// the level is known from elements nearby, but not to the element. 0 trusts it fully (a
// fade deeper than measured then reads as the other tone), 1 not at all (a steady tone's
// absence then counts for little). Measured between: 0.3.
constexpr double kDiffuseShare = 0.3;

// The character period, in elements, a clock starts from: the commonest stop length.
constexpr double kUsualPeriod = 7.5;
// How strongly the previous character's clock holds the next start: a start a quarter
// element from where it is expected costs kClockWeight / 16 elements' worth of signal.
constexpr double kClockWeight = 16.0;
// How far a character's own best start moves the clock, and the stop length it expects.
constexpr double kClockGain = 0.1;
constexpr double kPeriodGain = 0.03;
// How much likelier than a character idle mark must look to end the clock, in elements'
// worth of signal.
constexpr double kIdleMargin = 1.0;
// An element counts as clearly space when its ratio says so by half an element's worth.
constexpr double kSureStart = 0.5;
// How far one character's measured frequency error moves the tones Deep follows, and the
// share of the tones' difference that parts them. Tones set 50 Hz below / above the
// signal's, white noise at -8 dB, 30 files: 73 / 86 errors moved together, 55 / 50 at
// half, 53 / 54 at all of it, which lost on tune at -10 dB (341 against 319).
constexpr double kToneGain = 0.1;
constexpr double kQuarterParting = 0.5;
// The turn of a tone's phase from one element to the next while it stays on, learned at
// kCoherenceGain per pair of elements. Its runs are summed coherently, each element turned
// back by that turn, once kSteadyPairs pairs are learned and while the turns' mean, as a
// share of their mean magnitude, lies kSteadyPhase along no turn at all: a tone more than
// some 6 Hz off the mixer at 45.45 baud is taken element by element until it is followed.
constexpr double kCoherenceGain = 0.1;
constexpr double kSteadyPhase = 0.6;
constexpr int kSteadyPairs = 10;
// A run is summed in pieces of at most this many elements: a longer piece is undone by an
// error of a few hertz in the turn it is turned back by (3 Hz at 45.45 baud keeps 83 % of
// five elements' sum, 68 % of seven, the letters shift's marks). On the bench's files five
// and no limit print alike (white -10 dB 4.4 / 4.3 %, moderate +3 dB 0.97 % both).
constexpr int kLongestRun = 5;
// Where both tones' turns agree kSteadyTurn well, their difference parts the mixers by
// kPartingGain of it per character: the AFC may have left them parted by a few hertz in
// the noise, or a sender's shift differ from the set one.
constexpr double kSteadyTurn = 0.5;
constexpr double kPartingGain = 0.3;
// A case shift is read into a character whose one differing element was less sure than
// this (a log-likelihood ratio), where the word after it shows the shift. Contest text at
// 45.45 baud, 30 files, CER at -10 / -8 / -7 dB white noise, CCIR poor 0 / +3 dB,
// moderate +3 dB: 14.06 / 2.46 / 0.57, 2.56 / 0.90, 1.60 % without; 10.75 / 1.90 / 0.39,
// 2.04 / 0.74, 1.35 % at 1.5. At 2.5 contest text gained a little more and plain text
// lost ("WRITER" taken for "48534": 10.85 / 2.04 / 0.68 % in white noise against
// 10.47 / 1.96 / 0.61 % without and 10.23 / 1.97 / 0.61 % at 1.5).
constexpr double kShiftDoubt = 1.5;
// The squelch opens at an element signal-to-noise ratio of 5.4 dB: a signal at -10 dB in
// 3000 Hz has 8 dB at 45.45 baud, white noise alone about 0 dB.
constexpr double kSquelchSnr = 3.5;
// Held characters are judged by the weaker end of them: the run shown on opening starts
// with one of 4 dB or more (the noise before a signal measures up to about 3.5 dB there,
// below the squelch's own mark, as a weak signal's first characters come before its
// levels rise) and goes on through ones of 3 dB. With the squelch open on levels of
// 14 dB or more, a character whose own element S/N lies 6 dB below the levels', and
// below 12 dB, may be the noise after the signal's end (or a deep fade): noise measures
// 0 to 3 dB, the character that straddles a signal's end about 11 dB.
constexpr SquelchRule kSquelchRule{4.0, 3.0, 6.0, 12.0, 14.0};
// A tone 20 dB under the other, its noise 5 dB above the other's, was learned wrongly.
constexpr double kLostTone = 100.0;
constexpr double kLostNoise = 3.0;
// A clock running in the noise meets a signal when a frame's elements stand this far above
// the noise on average (13 dB; a signal at -10 dB in 3 kHz has 8 dB per element). Calls
// after 10 s of noise, first word copied, 40 a point at -6 / 0 / +6 / +20 dB: 26 / 32 /
// 33 / 39 before, 26 / 39 / 40 / 40 after; 100 at +12 / +30 dB: 95 / 92 before, 96 / 100
// after. At 10 (10 dB): 31 / 39 / 38 / 39, and 94 / 98.
constexpr double kArrival = 20.0;
// Tones whose offsets differ by more than this were not both found by the AFC.
constexpr double kToneParting = 30.0;
// A frame elsewhere takes the clock over when one fits better by this many elements' worth
// of signal this many characters in a row.
// A faded 75 baud station skimmed from inside its "RY" lead-in, 20 seeds: 22 errors
// before, 5 after; at 2 elements' worth and two characters (even with the better fit held
// to one place), CCIR poor 0 dB lost (2.04 to 3.54 %), a fade's edge putting a better fit
// elsewhere; at 8 and three, the bench's files are as before.
constexpr double kReframeMargin = 8.0;
constexpr int kReframeCharacters = 3;

double baudFor(int baudIndex) {
    return baudIndex == 1 ? 50.0 : baudIndex == 2 ? 75.0 : 45.45;
}

// ln I0(x), the modified Bessel function of order zero (Abramowitz and Stegun 9.8.1-2).
double logBesselI0(double x) {
    if (x < 3.75) {
        const double t = (x / 3.75) * (x / 3.75);
        return std::log(
            1.0 + t * (3.5156229 +
                       t * (3.0899424 +
                            t * (1.2067492 + t * (0.2659732 + t * (0.0360768 + t * 0.0045813))))));
    }
    const double t = 3.75 / x;
    const double p =
        0.39894228 +
        t * (0.01328592 +
             t * (0.00225319 +
                  t * (-0.00157565 +
                       t * (0.00916281 +
                            t * (-0.02057706 +
                                 t * (0.02635537 + t * (-0.01647633 + t * 0.00392377)))))));
    return x - 0.5 * std::log(x) + std::log(p);
}

// The log-likelihood of a tone's element sum of magnitude r against noise alone, noise of
// mean square n, for a tone whose mean square p is partly steady and a share `diffuse`
// Rayleigh: a Rice density over a Rayleigh one, the Rice part broadened by the diffuse
// share.
double ricianLikelihood(double r, double p, double n, double diffuse) {
    const double v = diffuse * p, a = std::sqrt((1.0 - diffuse) * p), w = n + v;
    return logBesselI0(2.0 * a * r / w) - a * a / w - std::log1p(v / n) +
           r * r * (1.0 / n - 1.0 / w);
}

// The clock's penalty for a start u elements away from where it expects it: quadratic
// near, linear far, so a long stop element costs a bounded amount.
double clockPenalty(double u) {
    const double m = std::abs(u);
    return m <= 0.5 ? m * m : m - 0.25;
}

// The sum of the `count` values of a ring (a power of two long) ending at `newest`.
template <std::size_t N>
std::complex<double> sumEndingAt(const std::array<std::complex<double>, N>& ring,
                                 std::int64_t newest, int count) {
    std::complex<double> sum;
    for (int k = 0; k < count; ++k) sum += ring[static_cast<std::size_t>((newest - k) & (N - 1))];
    return sum;
}

void average(double& mean, double value, int& count, double floorWeight) {
    ++count;
    mean += std::max(1.0 / count, floorWeight) * (value - mean);
}

}  // namespace

// The levels each tone is judged by. A tone not yet heard on (at the start, or learned
// afresh) stands in with the other's, as a sender's two tones come at one level: its own
// would be guesses, against which every element weighs alike, and no start would be found
// while the other tone's levels are real (a space learned afresh as a signal came in 50 Hz
// off tune: 33 errors in a file at -8 dB, none since).
const DeepDecoder::ToneLevel& DeepDecoder::markLevel() const {
    return mark_.onCount > 0 || space_.onCount == 0 ? mark_ : space_;
}

const DeepDecoder::ToneLevel& DeepDecoder::spaceLevel() const {
    return space_.onCount > 0 || mark_.onCount == 0 ? space_ : mark_;
}

double DeepDecoder::ToneLevel::noiseFloor() const {
    const double n = offCount > 0 ? noise : onCount > 0 ? signal : 1.0;
    return std::max(n, 1e-12 * (signal + 1.0));
}

double DeepDecoder::ToneLevel::snr() const {
    const double a = amplitude();
    return a * a / noiseFloor();
}

double DeepDecoder::ToneLevel::amplitude() const {
    if (onCount == 0) return 1.0;
    // What is left of the mean square on after the noise, never quite nothing: a tone in a
    // deep fade still says a little.
    return std::sqrt(std::max(signal - noiseFloor(), 0.02 * signal));
}

DeepDecoder::DeepDecoder(const ModemState& state, ReceivedCharEmitter& emitter)
    : baudot(state), state_(state), emitter_(emitter), squelch_(emitter, kSquelchRule) {}

void DeepDecoder::restart() {
    rate_ = state_.sampleRate.load(std::memory_order_relaxed);
    baud_ = baudFor(state_.baudIndex.load(std::memory_order_relaxed));
    elementSteps_ = std::max(4, static_cast<int>(std::lround(rate_ / baud_ / kStep)));
    smoothSteps_ =
        std::min(2 * static_cast<int>(std::lround(kSmoothElements * elementSteps_ / 2)) + 1,
                 kSmoothRing - 1);
    markPhasor_ = spacePhasor_ = {1.0, 0.0};
    markPart_ = spacePart_ = markSum_ = spaceSum_ = {};
    inStep_ = 0;
    heard_.fill(0.0f);
    markParts_.fill({});
    spaceParts_.fill({});
    markElement_.fill({});
    spaceElement_.fill({});
    markMagnitude_.fill(0.0);
    spaceMagnitude_.fill(0.0);
    steps_ = mixed_ = 0;
    markSums_.fill({});
    spaceSums_.fill({});
    markSmooth_ = spaceSmooth_ = {};
    mark_ = space_ = ToneLevel{};
    markCoherence_ = spaceCoherence_ = Coherence{};
    joined_ = 0;
    period_ = kUsualPeriod * elementSteps_;
    idleFrom_ = -1;
    huntFrom(elementSteps_);
}

void DeepDecoder::takeSample(double x) {
    if (state_.txState.load(std::memory_order_relaxed) >= kTxSending) {
        settleDoubt();  // what was heard before sending is shown now
        rate_ = 0;      // deaf while sending; start afresh afterwards
        return;
    }
    if (rate_ != state_.sampleRate.load(std::memory_order_relaxed) ||
        baud_ != baudFor(state_.baudIndex.load(std::memory_order_relaxed)))
        restart();
    if (inStep_ == 0) {
        // While it hunts, Deep hears the tones where the AFC puts them (it acquires from
        // far off); once the clock runs, Deep follows the signal on its own, from its
        // decided elements, steadier than the AFC is in noise and fading.
        const bool afcOn = state_.afcOff.load(std::memory_order_relaxed) != 1;
        if (!tracking_) {
            markOffset_ = afcOn ? state_.markOffset.load(std::memory_order_relaxed) : 0.0;
            spaceOffset_ = afcOn ? state_.spaceOffset.load(std::memory_order_relaxed) : 0.0;
            if (std::abs(spaceOffset_ - markOffset_) <= kToneParting) joined_ = 0;
            hearJoined();
        }
        setMixers();
    }
    heard_[static_cast<std::size_t>((mixed_ * kStep + inStep_) & kHeardMask)] =
        static_cast<float>(x);
    mix(x);
    if (++inStep_ == kStep && sumStep()) advance();
}

void DeepDecoder::setMixers() {
    double mark = state_.markFrequency.load(std::memory_order_relaxed) - markOffset_;
    double space = state_.spaceFrequency.load(std::memory_order_relaxed) - spaceOffset_;
    if (state_.rxReverse.load(std::memory_order_relaxed) == 1) std::swap(mark, space);
    markRotation_ = std::polar(1.0, -2.0 * std::numbers::pi * mark / rate_);
    spaceRotation_ = std::polar(1.0, -2.0 * std::numbers::pi * space / rate_);
}

void DeepDecoder::mix(double x) {
    markPart_ += x * markPhasor_;
    spacePart_ += x * spacePhasor_;
    markPhasor_ *= markRotation_;
    spacePhasor_ *= spaceRotation_;
}

// The samples since step `from` mixed and summed again, at the mixers' tones as they are
// now. The running sums start from the ring's old values, which leave them again as the
// new ones come in.
void DeepDecoder::hearAgain(std::int64_t from) {
    const std::int64_t end = mixed_ * kStep + inStep_;
    from = std::max({from, mixed_ - kHistory + 1, std::int64_t{0}});
    setMixers();
    mixed_ = from;
    inStep_ = 0;
    markPart_ = spacePart_ = {};
    markSum_ = sumEndingAt(markParts_, from - 1, elementSteps_);
    spaceSum_ = sumEndingAt(spaceParts_, from - 1, elementSteps_);
    markSmooth_ = sumEndingAt(markSums_, from - 1, smoothSteps_);
    spaceSmooth_ = sumEndingAt(spaceSums_, from - 1, smoothSteps_);
    for (std::int64_t at = from * kStep; at < end; ++at) {
        mix(heard_[static_cast<std::size_t>(at & kHeardMask)]);
        if (++inStep_ == kStep) sumStep();
    }
}

bool DeepDecoder::sumStep() {
    inStep_ = 0;
    // Unit phasors stay unit: rounding would otherwise let them drift over hours.
    markPhasor_ /= std::abs(markPhasor_);
    spacePhasor_ /= std::abs(spacePhasor_);

    const std::int64_t now = mixed_ & kMask;
    const std::int64_t leaving = (mixed_ - elementSteps_) & kMask;
    markSum_ += markPart_ - markParts_[leaving];
    spaceSum_ += spacePart_ - spaceParts_[leaving];
    markParts_[now] = markPart_;
    spaceParts_[now] = spacePart_;
    markPart_ = spacePart_ = {};
    // Sum afresh now and then, so the running sums carry no rounding from long ago.
    const bool afresh = now == 0;
    if (afresh) {
        markSum_ = sumEndingAt(markParts_, mixed_, elementSteps_);
        spaceSum_ = sumEndingAt(spaceParts_, mixed_, elementSteps_);
    }
    const int m = smoothSteps_;
    const std::int64_t in = mixed_ & (kSmoothRing - 1), out = (mixed_ - m) & (kSmoothRing - 1);
    markSmooth_ += markSum_ - markSums_[out];
    spaceSmooth_ += spaceSum_ - spaceSums_[out];
    markSums_[in] = markSum_;
    spaceSums_[in] = spaceSum_;
    if (afresh) {
        markSmooth_ = sumEndingAt(markSums_, mixed_, m);
        spaceSmooth_ = sumEndingAt(spaceSums_, mixed_, m);
    }
    ++mixed_;
    // The element ending m / 2 steps ago is now known.
    if (mixed_ <= m / 2) return false;
    steps_ = mixed_ - m / 2;
    const std::int64_t at = (steps_ - 1) & kMask;
    markElement_[at] = markSmooth_ / static_cast<double>(m);
    spaceElement_[at] = spaceSmooth_ / static_cast<double>(m);
    markMagnitude_[at] = std::abs(markElement_[at]);
    spaceMagnitude_[at] = std::abs(spaceElement_[at]);
    return true;
}

DeepDecoder::Levels DeepDecoder::runningLevels() const {
    const ToneLevel &mark = markLevel(), &space = spaceLevel();
    return {mark.amplitude(), mark.noiseFloor(), space.amplitude(), space.noiseFloor()};
}

double DeepDecoder::llr(std::int64_t end, const Levels& l) const {
    const double m = markMagnitude_[end & kMask], s = spaceMagnitude_[end & kMask];
    return ricianLikelihood(m, l.markAmplitude * l.markAmplitude, l.markNoise, kDiffuseShare) -
           ricianLikelihood(s, l.spaceAmplitude * l.spaceAmplitude, l.spaceNoise, kDiffuseShare);
}

void DeepDecoder::frameElements(std::int64_t t0, std::uint8_t code,
                                std::array<Element, 8>& out) const {
    const int n = elementSteps_;
    for (int k = 0; k < 8; ++k) {
        // Mark before the start, the start, the five data elements, the stop.
        const std::int64_t end = k == 0 ? t0 - 1 : t0 + k * n - 1;
        const bool markOn = k == 0 || k == 7 || (k >= 2 && ((code >> (k - 2)) & 1) != 0);
        const double m = markMagnitude_[end & kMask], s = spaceMagnitude_[end & kMask];
        out[k] = {end, m * m, s * s, markOn};
    }
}

// Each tone's level around the element ending at `element`, from the other elements of
// its character as first decided and the elements before it, the nearer weighing more: a
// fade of one tone over a few elements shows here long before the running level follows
// it. The element itself is left out, or a first decision would confirm itself.
DeepDecoder::Levels DeepDecoder::levelsAround(std::int64_t t0, std::uint8_t code,
                                              std::int64_t element) const {
    const int n = elementSteps_;
    const double centre = static_cast<double>(element) - 0.5 * n;
    double sum[2] = {}, weight[2] = {}, weight2[2] = {};
    auto add = [&](const Element& e) {
        if (e.end == element) return;  // an element is not judged by its own value
        const double w =
            std::exp(-std::abs(static_cast<double>(e.end) - centre) / (kLocalElements * n));
        const int tone = e.markOn ? 0 : 1;
        sum[tone] += w * (e.markOn ? e.mark2 : e.space2);
        weight[tone] += w;
        weight2[tone] += w * w;
    };
    std::array<Element, 8> own;
    frameElements(t0, code, own);
    for (const Element& e : own) add(e);
    const int kept = std::min(historyCount_, kElementHistory);
    for (int k = 0; k < kept; ++k) {
        const Element& e = history_[(historyCount_ - 1 - k) % kElementHistory];
        if (e.end < t0 - 1) add(e);
    }
    Levels l{};
    const ToneLevel* const tones[] = {&markLevel(), &spaceLevel()};
    for (int t = 0; t < 2; ++t) {
        const ToneLevel& tone = *tones[t];
        const double noise = tone.noiseFloor();
        const double steady = tone.signal;
        double on = steady;
        if (weight[t] > 0.0) {
            const double local = sum[t] / weight[t];
            // How far to trust the elements nearby over the long average: as far as the
            // level really moves (a fade) against how much noise alone moves a mean over so
            // few elements. In white noise this keeps the long average, which does not
            // tilt the decision between the tones.
            const double p = std::max(steady - noise, 0.0);
            const double noiseVariance = 2.0 * p * noise + noise * noise;
            const double moves = std::max(tone.square - steady * steady - noiseVariance, 0.0);
            const double spread = noiseVariance * weight2[t] / (weight[t] * weight[t]);
            on = steady + moves / (moves + spread + 1e-300) * (local - steady);
        }
        const double amplitude = std::sqrt(std::max(on - noise, 0.02 * on));
        (t == 0 ? l.markAmplitude : l.spaceAmplitude) = amplitude;
        (t == 0 ? l.markNoise : l.spaceNoise) = noise;
    }
    return l;
}

// The five data elements: first on the long levels, then each again on the levels around
// it, measured with the decisions so far (a fade of one tone shows in its neighbours), and
// again while that changes them, up to kPasses times.
DeepCharacter DeepDecoder::decideCharacter(std::int64_t t0) const {
    const int n = elementSteps_;
    std::uint8_t code = 0;
    const Levels running = runningLevels();
    for (int k = 0; k < 5; ++k)
        if (llr(t0 + (k + 2) * n - 1, running) > 0.0) code |= static_cast<std::uint8_t>(1u << k);
    DeepCharacter c;
    // Below the squelch's mark there is no fade to follow, only noise, whose decisions the
    // passes would merely sharpen: one pass there.
    const int passes = elementSnr() < kSquelchSnr ? 1 : kPasses;
    for (int pass = 0; pass < passes; ++pass) {
        c = DeepCharacter{};
        for (int k = 0; k < 5; ++k) {
            const std::int64_t end = t0 + (k + 2) * n - 1;
            const double v = llr(end, levelsAround(t0, code, end));
            if (v > 0.0) c.code |= static_cast<std::uint8_t>(1u << k);
            c.values[static_cast<std::size_t>(k)] = v;
        }
        if (c.code == code) break;
        code = c.code;
    }
    if (passes > 1) decideByRuns(t0, c);
    return c;
}

// The character decided again among all 32 codes, each weighed by the runs of one tone it
// makes with the start, the stop and the mark before the start: a sender's tone keeps its
// phase while it stays on, so a run's element sums add up coherently, and a run of three
// elements is heard as one three elements long (45.45 baud, 30 files each, CER element
// by element / by runs: white noise -10 dB 10.75 / 4.43 %, -8 dB 1.90 / 0.65 %; CCIR poor
// 0 dB 2.04 / 1.53 %, moderate +3 dB 1.35 / 0.97 %). Only above the squelch's mark, where
// the levels show a signal. The levels are those around each element as the passes left
// them, trusted fully: a diffuse share here, taken once per run, would hold codes with many
// runs back against those with few. Each data element's value is then the best code with it
// mark against the best with it space, or the passes' value where they agree on it (the
// case-shift doubt was measured on those).
void DeepDecoder::decideByRuns(std::int64_t t0, DeepCharacter& c) const {
    const int n = elementSteps_;
    std::array<std::int64_t, 8> ends;
    std::array<Levels, 8> levels;
    for (int k = 0; k < 8; ++k) {
        ends[k] = k == 0 ? t0 - 1 : t0 + k * n - 1;
        levels[k] = levelsAround(t0, c.code, ends[k]);
    }
    std::array<double, 32> fit;
    for (unsigned code = 0; code < 32; ++code) {
        // Mark before the start, the start, the five data elements, the stop.
        const unsigned elements = 0x81u | (code << 2);
        double sum = 0.0;
        for (int k = 0; k < 8;) {
            const bool mark = ((elements >> k) & 1u) != 0;
            std::complex<double> run;
            double amplitude = 0.0, noise = 0.0;
            int length = 0;
            const Coherence& coherence = mark ? markCoherence_ : spaceCoherence_;
            const bool steady = coherence.steady();
            // Each element's sum turned back by the tone's steady turn, so a tone a few hertz
            // off the mixer still adds up over a long run.
            const std::complex<double> back =
                steady ? std::conj(coherence.turn) / std::abs(coherence.turn) : 1.0;
            std::complex<double> turned = 1.0;
            for (; k < 8 && (((elements >> k) & 1u) != 0) == mark &&
                   (steady ? length < kLongestRun : length == 0);
                 ++k, ++length, turned *= back) {
                const std::size_t at = static_cast<std::size_t>(ends[k] & kMask);
                run += turned * (mark ? markElement_[at] : spaceElement_[at]);
                amplitude += mark ? levels[k].markAmplitude : levels[k].spaceAmplitude;
                noise += mark ? levels[k].markNoise : levels[k].spaceNoise;
            }
            sum += ricianLikelihood(std::abs(run), amplitude * amplitude, noise, 0.0);
        }
        fit[code] = sum;
    }
    c.code = static_cast<std::uint8_t>(std::max_element(fit.begin(), fit.end()) - fit.begin());
    for (unsigned k = 0; k < 5; ++k) {
        double mark = -1e300, space = -1e300;
        for (unsigned code = 0; code < 32; ++code) {
            double& best = ((code >> k) & 1u) != 0 ? mark : space;
            best = std::max(best, fit[code]);
        }
        if ((c.values[k] > 0.0) != (mark > space)) c.values[k] = mark - space;
    }
}

// How well a character starting at step t0 fits: mark before it, a space start element,
// five data elements each as sure as it is, a mark stop element.
double DeepDecoder::frameScore(std::int64_t t0) const {
    const int n = elementSteps_;
    double score = llr(t0 - 1) - llr(t0 + n - 1) + llr(t0 + 7 * n - 1);
    for (int k = 1; k <= 5; ++k) score += std::abs(llr(t0 + (k + 1) * n - 1));
    return score;
}

// A clock on a wrong frame of text whose characters frame one another ("RYRY", a hunt
// begun inside it) is held by its own prior, its stops never clearly space. The frame at
// another place in the character period that fits better than the clock's by kReframeMargin
// elements' worth, or t0 if none does. Sought among the frames whose elements are all in
// (up to the window's end: what lies beyond depends on how the samples came), an eighth
// of an element apart, then to the step.
std::int64_t DeepDecoder::betterFrame(std::int64_t t0, double scale) const {
    const int n = elementSteps_;
    const int stride = std::max(1, n / 8);
    std::int64_t better = t0;
    double fit = frameScore(t0) + kReframeMargin * scale;
    for (std::int64_t t = t0 - 7 * n; t <= windowHigh_; t += stride) {
        if (std::abs(t - t0) <= n / 2) continue;
        const double score = frameScore(t);
        if (score > fit) fit = score, better = t;
    }
    if (better == t0) return t0;
    const std::int64_t coarse = better;
    for (std::int64_t t = coarse - stride + 1; t < coarse + stride && t <= windowHigh_; ++t) {
        const double score = frameScore(t);
        if (score > fit) fit = score, better = t;
    }
    return better;
}

void DeepDecoder::advance() {
    const int n = elementSteps_;
    for (;;) {
        if (phase_ == Phase::hunt) {
            relearnLostTone();
            huntAt_ = std::max(huntAt_, steps_ - kHistory + 2 * n);
            // A start: the element from here on is more space than mark, the one before
            // is mark. The edge lies within the next element, where the frame is sought.
            for (; huntAt_ + n <= steps_; ++huntAt_) {
                if (llr(huntAt_ + n - 1) < 0.0 && llr(huntAt_ - 1) > 0.0) break;
            }
            if (huntAt_ + n > steps_) return;
            windowLow_ = huntAt_;
            windowHigh_ = huntAt_ + n;
            prior_ = false;
            // The period learned from characters decided in the noise is no rhythm: it
            // would hold a signal that begins after the noise off its starts.
            if (elementSnr() < kSquelchSnr) period_ = kUsualPeriod * n;
            phase_ = Phase::frame;
        }
        if (windowHigh_ + 7 * n > steps_) return;
        decideFrame();
    }
}

void DeepDecoder::decideFrame() {
    const int n = elementSteps_;
    std::int64_t found = windowLow_;
    double best = -1e300;
    const double scale = elementSnr();
    for (std::int64_t t = windowLow_; t <= windowHigh_; ++t) {
        double score = frameScore(t);
        if (prior_) score -= kClockWeight * scale * clockPenalty((t - expected_) / n);
        if (score > best) best = score, found = t;
    }

    // Back-to-back text keeps its clock: a start near where it is expected moves the clock
    // only part of the way, so the timing stands on many characters rather than on one
    // character's noise, and the clock learns the sender's character period. A start far
    // from it (a long stop, a sender with another stop length) sets the clock afresh.
    double start = static_cast<double>(found);
    if (prior_) {
        const double error = start - expected_;
        if (std::abs(error) <= 0.6 * n) {
            start = expected_ + kClockGain * error;
            period_ = std::clamp(period_ + kPeriodGain * error, 7.0 * n, 8.0 * n);
        } else if (llr(found + n - 1) > -kSureStart * scale) {
            // Far from the clock and not clearly a start: a fade, where the clock knows
            // better than the noise. (A clear one is a long stop: the clock follows it,
            // and the period stays, as a long stop is the sender's pause, not its rhythm.)
            start = expected_;
        }
    }
    auto t0 = static_cast<std::int64_t>(std::lround(start));
    // A clock one element late (a hunt begun inside a character, as when a signal is
    // already running) holds: its stop element straddles a stop of one and a half and the
    // next start, never clearly space, and the true next start lies before the window.
    // What gives it away is its mark before the start read clearly space (the true start)
    // while the frame one element earlier has mark before it, mark for its stop and fits
    // better: two characters in a row so, and the clock moves back one element.
    const bool late = llr(t0 - 1) < -kSureStart * scale && llr(t0 - n - 1) > 0.0 &&
                      llr(t0 + 6 * n - 1) > 0.0 && frameScore(t0 - n) > frameScore(t0);
    late_ = late ? late_ + 1 : 0;
    if (late_ >= 2) {
        start -= n;
        t0 -= n;
        late_ = 0;
    }

    if (signalArrived(t0)) return;

    // A clock held on a wrong frame (betterFrame): a better fit several characters in a
    // row takes it over.
    const std::int64_t better = prior_ && scale >= kSquelchSnr ? betterFrame(t0, scale) : t0;
    misframed_ = better == t0 ? 0 : misframed_ + 1;
    if (misframed_ >= kReframeCharacters) {
        start += static_cast<double>(better - t0);
        t0 = better;
        misframed_ = 0;
    }

    const double startValue = llr(t0 + n - 1), stopValue = llr(t0 + 7 * n - 1);
    // While the clock runs, a character is far likelier than idle mark: one start element
    // read as mark in the noise must not lose the character. Idle is taken only when the
    // start and the data elements together speak for mark by more than an element's worth.
    double spaceInData = 0.0;
    for (int k = 0; k < 5; ++k) spaceInData += std::max(0.0, -llr(t0 + (k + 2) * n - 1));
    const bool idle = prior_ ? startValue - spaceInData > kIdleMargin * scale : startValue >= 0.0;
    const bool silent = silentFrame(t0);
    if (idle || silent || (!prior_ && stopValue <= 0.0)) {
        // No start here: idle mark after a character, or silence, or a false start while
        // hunting. Idle or silence since a character is where a new signal may follow.
        if ((idle || silent) && prior_) idleFrom_ = t0;
        huntFrom(prior_ ? windowLow_ : windowLow_ + n / 2);
        return;
    }
    DeepCharacter c = decideCharacter(t0);
    c.framed = stopValue > 0.0;
    if (!prior_ && idleFrom_ >= 0 && t0 - idleFrom_ >= 7 * n) newSignal();
    idleFrom_ = -1;
    // Until both tones have been heard on, the levels are guesses and the character says
    // nothing (the edge of a signal): it only teaches the levels.
    if (mark_.onCount > 0 && space_.onCount > 0) decided(c, t0);
    learnLevels(t0, c.code);

    // Only a stop element clearly space counts against the clock: in a fade of both tones
    // the stop says nothing, and the clock should carry on through it.
    framingMisses_ = stopValue < -kSureStart * scale ? framingMisses_ + 1 : 0;
    if (framingMisses_ >= 2) {
        // Two stop elements in a row found space: the clock is wrong, hunt afresh.
        huntFrom(t0 + n);
        return;
    }
    // The next character may follow at once: its start comes after at least one stop
    // element, and up to three (twice 1.5, as some keyers send) are looked through.
    prior_ = true;
    if (c.framed && !tracking_) {
        joinTones();
        // What the turns were before says nothing of this signal's.
        markCoherence_ = spaceCoherence_ = Coherence{};
    }
    tracking_ = c.framed;
    clock_ = start;
    expected_ = start + period_;
    windowLow_ = t0 + 7 * n - 2;
    windowHigh_ = t0 + 9 * n;
    phase_ = Phase::frame;
}

// A signal far above the levels, met by a clock that runs on from one noise "character"
// to the next: neither the clock nor the levels know anything of it, and the clock's
// window, a character on, need not hold its start (a call at +30 dB after 10 s of noise
// lost its first word one time in eight, to wrong frames the clock held). Its levels are
// learned afresh from its own elements since it rose out of the noise, and its start is
// sought from there.
bool DeepDecoder::signalArrived(std::int64_t t0) {
    if (!prior_ || elementSnr() >= kSquelchSnr) return false;
    const int n = elementSteps_;
    const double markNoise = markLevel().noiseFloor(), spaceNoise = spaceLevel().noiseFloor();
    auto loudness = [&](std::int64_t end) {
        return std::max(powerAt(markMagnitude_, end) / markNoise,
                        powerAt(spaceMagnitude_, end) / spaceNoise);
    };
    double mean = loudness(t0 - 1);
    for (int k = 1; k < 8; ++k) mean += loudness(t0 + k * n - 1);
    if (mean / 8.0 <= kArrival) return false;

    // One of the frame's own elements is loud, so the first loud one lies between the
    // element before the frame and the newest (the hunt from it is kept within the history
    // by advance()).
    auto firstLoud = [&] {
        std::int64_t end = t0 - 8 * n;
        while (end + 1 < steps_ && loudness(end) <= kArrival) ++end;
        return end;
    };
    // Heard at its own tones, from two elements before the span on.
    tuneToArrival(t0 - 10 * n - smoothSteps_, firstLoud());
    const std::int64_t onset = firstLoud();
    double markPeak = 0.0, spacePeak = 0.0;
    for (std::int64_t end = onset; end < steps_; ++end) {
        markPeak = std::max(markPeak, powerAt(markMagnitude_, end));
        spacePeak = std::max(spacePeak, powerAt(spaceMagnitude_, end));
    }
    // The noise is white: the quieter floor is the noise (the other may hold a signal
    // learned as noise).
    const double noise = std::min(markNoise, spaceNoise);
    mark_ = ToneLevel{markPeak, markPeak * markPeak, noise, 1, 1};
    space_ = ToneLevel{spacePeak, spacePeak * spacePeak, noise, 1, 1};
    huntFrom(onset);
    // Its tones are Deep's own from here on, not the AFC's from the noise.
    tracking_ = true;
    markCoherence_ = spaceCoherence_ = Coherence{};
    return true;
}

// The AFC's tones, pulled about by the noise before a signal, may lie tens of hertz off
// it, and apart: a space mixer 33 Hz off a call's first start read it barely space, and
// the first characters were lost. The tone heard loudest since the signal's onset shows
// by its own turn how far off its mixer it is; both mixers are set by it (the other tone
// is seldom heard yet: the signal may begin with a carrier), and the history is heard
// again from `from` on. A call after 3 s of noise and 150 ms of mark carrier, copied from
// its first character, 40 calls at 0 / +3 dB: 38 / 39 before, 40 / 40 after.
void DeepDecoder::tuneToArrival(std::int64_t from, std::int64_t onset) {
    hearAgain(from);  // at one tone throughout, the latest
    // Each tone's power since the onset, and its turn over the elements where it is the
    // louder.
    double mark = 0.0, space = 0.0;
    std::complex<double> markTurn, spaceTurn;
    for (std::int64_t end = onset; end < steps_; ++end) {
        const double m = powerAt(markMagnitude_, end), s = powerAt(spaceMagnitude_, end);
        mark += m;
        space += s;
        (m >= s ? markTurn : spaceTurn) += quarterTurns(m >= s, end);
    }
    const bool markHeard = mark >= space;
    const bool reversed = state_.rxReverse.load(std::memory_order_relaxed) == 1;
    const double offset = (markHeard != reversed ? markOffset_ : spaceOffset_) -
                          hertzOfTurn(markHeard ? markTurn : spaceTurn, elementSteps_ / 4);
    markOffset_ = spaceOffset_ = offset;
    hearAgain(from);
}

// The clock let go: the held word printed, and a start sought from step `at` on.
void DeepDecoder::huntFrom(std::int64_t at) {
    settleDoubt();
    phase_ = Phase::hunt;
    tracking_ = false;
    late_ = 0;
    misframed_ = 0;
    huntAt_ = at;
    framingMisses_ = 0;
}

// A tone's levels learned from a character decided wrongly (the clock from the noise
// running on into a signal's start, that tone's elements taken for its off) leave it far
// under a "noise" that is its own signal: it is never heard on again, so no start is
// found and nothing more is learned. While hunting, a tone that far under the other, with
// a noise far above the other's (a fade of one tone leaves its noise as it was), is
// learned afresh.
void DeepDecoder::relearnLostTone() {
    if (mark_.onCount == 0 || space_.onCount == 0) return;
    auto lost = [](const ToneLevel& t, const ToneLevel& other) {
        return t.snr() * kLostTone < other.snr() &&
               t.noiseFloor() > kLostNoise * other.noiseFloor();
    };
    if (lost(space_, mark_)) space_ = ToneLevel{};
    if (lost(mark_, space_)) mark_ = ToneLevel{};
}

// The AFC follows each tone on its own, and in the noise before a signal the two can part
// far beyond any error in a sender's shift: one finds the signal, the other wanders off and
// may stay there for half a minute. When Deep takes over the following with a signal
// heard, a tone that far from the other goes where the other is heard off tune, the
// better heard of the two (its levels, learned where it was not, follow as it is heard);
// while the AFC's tones stay parted, the hunt hears them so too.
void DeepDecoder::joinTones() {
    if (std::abs(spaceOffset_ - markOffset_) <= kToneParting || elementSnr() < kSquelchSnr) return;
    // The levels are the heard tones': reversed, the heard mark is the set space.
    const bool reversed = state_.rxReverse.load(std::memory_order_relaxed) == 1;
    joined_ = (mark_.snr() >= space_.snr()) != reversed ? 1 : -1;
    hearJoined();
}

void DeepDecoder::hearJoined() {
    if (joined_ > 0) spaceOffset_ = markOffset_;
    if (joined_ < 0) markOffset_ = spaceOffset_;
}

// The signal-to-noise ratio of one element, as the levels stand: the scale of the
// log-likelihood ratios, by which the clock's prior is weighed.
double DeepDecoder::elementSnr() const {
    return 0.5 * (markLevel().snr() + spaceLevel().snr());
}

// The tones' frequency errors over a character's elements: each element's sum over its
// quarters turns by the error from quarter to quarter. Both tones move together when a
// radio is off tune, so their common error moves both; half of what parts them moves each
// its own way. A clock that starts while the AFC is still pulling in takes over a tone
// 30 Hz off, beyond what a turn from element to element can show (half a cycle at 22 Hz),
// and a common correction alone would pull the other tone off with it.
void DeepDecoder::followTones(const std::array<Element, 8>& own) {
    const int quarter = elementSteps_ / 4;
    std::complex<double> mark, space;
    for (const Element& e : own) (e.markOn ? mark : space) += quarterTurns(e.markOn, e.end);
    const double common = hertzOfTurn(mark + space, quarter);
    const double parted =
        kQuarterParting * (hertzOfTurn(mark, quarter) - hertzOfTurn(space, quarter)) / 2.0;
    retune(kToneGain * (common + parted), kToneGain * (common - parted));
}

// How a tone's sum over the element ending at `end` turns from quarter to quarter: its
// angle is the tone's frequency error, its magnitude the weight of that measurement.
std::complex<double> DeepDecoder::quarterTurns(bool mark, std::int64_t end) const {
    const int quarter = elementSteps_ / 4;
    const auto& parts = mark ? markParts_ : spaceParts_;
    std::complex<double> turn, previous;
    for (int q = 0; q < 4; ++q) {
        const std::complex<double> sum = sumEndingAt(parts, end - (3 - q) * quarter, quarter);
        if (q > 0) turn += sum * std::conj(previous);
        previous = sum;
    }
    return turn;
}

// Each tone's mixer moved up by the hertz given; the turns its runs were learned with turn
// less by as much.
void DeepDecoder::retune(double markHz, double spaceHz) {
    markOffset_ -= markHz;
    spaceOffset_ -= spaceHz;
    const double element = 2.0 * std::numbers::pi * elementSteps_ * kStep / rate_;
    markCoherence_.turn *= std::polar(1.0, -element * markHz);
    spaceCoherence_.turn *= std::polar(1.0, -element * spaceHz);
}

// The frequency error a phase turn over `steps` steps shows.
double DeepDecoder::hertzOfTurn(std::complex<double> turn, int steps) const {
    return std::arg(turn) * rate_ / (2.0 * std::numbers::pi * steps * kStep);
}

bool DeepDecoder::Coherence::steady() const {
    return pairs >= kSteadyPairs && turn.real() > kSteadyPhase * magnitude;
}

bool DeepDecoder::Coherence::agreeing() const {
    return pairs >= kSteadyPairs && std::abs(turn) >= kSteadyTurn * magnitude;
}

void DeepDecoder::learnCoherence(const std::array<Element, 8>& own) {
    for (int k = 0; k + 1 < 8; ++k) {
        if (own[k].markOn != own[k + 1].markOn) continue;
        const auto& sums = own[k].markOn ? markElement_ : spaceElement_;
        const std::complex<double> turn =
            sums[own[k + 1].end & kMask] * std::conj(sums[own[k].end & kMask]);
        Coherence& c = own[k].markOn ? markCoherence_ : spaceCoherence_;
        c.turn += kCoherenceGain * (turn - c.turn);
        c.magnitude += kCoherenceGain * (std::abs(turn) - c.magnitude);
        ++c.pairs;
    }
    // Each tone's own turn shows how far it is off its mixer; their common error
    // followTones corrects, their difference is corrected here.
    if (!markCoherence_.agreeing() || !spaceCoherence_.agreeing()) return;
    const double parted = 0.5 * (hertzOfTurn(markCoherence_.turn, elementSteps_) -
                                 hertzOfTurn(spaceCoherence_.turn, elementSteps_));
    retune(kPartingGain * parted, -kPartingGain * parted);
}

void DeepDecoder::learnLevels(std::int64_t t0, std::uint8_t code) {
    std::array<Element, 8> own;
    frameElements(t0, code, own);
    if (tracking_) {
        followTones(own);
        learnCoherence(own);
    }
    for (const Element& e : own) {
        ToneLevel& on = e.markOn ? mark_ : space_;
        ToneLevel& off = e.markOn ? space_ : mark_;
        const double e2 = e.markOn ? e.mark2 : e.space2;
        int count = on.onCount;
        average(on.square, e2 * e2, count, kSignalWeight);
        average(on.signal, e2, on.onCount, kSignalWeight);
        average(off.noise, e.markOn ? e.space2 : e.mark2, off.offCount, kNoiseWeight);
        if (historyCount_ > 0 && e.end <= history_[(historyCount_ - 1) % kElementHistory].end)
            continue;  // the mark before a start is often the last stop, already kept
        history_[historyCount_++ % kElementHistory] = e;
    }
}

// A character after seven elements or more of idle mark or silence begins a new signal,
// in letters; with "new signal, new line" on, on a line of its own. Not in the noise: the
// levels must show a signal.
void DeepDecoder::newSignal() {
    if (elementSnr() < kSquelchSnr) return;
    baudot.shift = kLettersShift;
    if (state_.NewsigNewline.load(std::memory_order_relaxed) == 1) emitter_.emitReceivedChar(u'\n');
}

// The S/N of a character's own elements, each on its tone, in dB, over its weaker end
// (start and first two data elements, or last two and stop: a character that straddles
// a signal's start or end is noise at one end, and a fade's edge weakens one end too).
double DeepDecoder::weakerEndDb(std::int64_t t0, std::uint8_t code) const {
    std::array<Element, 8> own;
    frameElements(t0, code, own);
    std::array<double, 8> r{};
    for (int k = 1; k < 8; ++k) {
        const Element& e = own[k];
        r[k] = e.markOn ? e.mark2 / markLevel().noiseFloor() : e.space2 / spaceLevel().noiseFloor();
    }
    const double ends = std::min(r[1] + r[2] + r[3], r[5] + r[6] + r[7]) / 3.0;
    return 10.0 * std::log10(std::max(ends, 1e-30));
}

// Whether one of the frame's elements, start to stop, was silence, where neither tone
// carries anything (the edge of a signal, or a muted input).
bool DeepDecoder::silentFrame(std::int64_t t0) const {
    const double samples = static_cast<double>(elementSteps_) * kStep;
    const double audible = kAudible * samples;
    for (int k = 1; k < 8; ++k) {
        const std::int64_t end = t0 + k * elementSteps_ - 1;
        if (std::max(markMagnitude_[end & kMask], spaceMagnitude_[end & kMask]) < audible)
            return true;
    }
    return false;
}

// A decided character goes to print, or waits in a doubt over a lost case shift for the
// end of its word.
void DeepDecoder::decided(const DeepCharacter& c, std::int64_t t0) {
    const bool squelch = state_.SquelchState.load(std::memory_order_relaxed) == 1;
    // The character's own level is measured only where the squelch judges by it.
    const ShiftDoubt::Held held{c.code, elementSnr(), squelch ? weakerEndDb(t0, c.code) : 0.0};
    if (doubt_.holding()) {
        if (doubt_.add(held)) settleDoubt();
        return;
    }
    // Below the squelch's mark there is no word to read, only noise.
    if (held.snr >= kSquelchSnr) {
        const auto lost = ShiftDoubt::lostShift(c.code, c.values, baudot.shift);
        if (lost && lost->sureness < kShiftDoubt) {
            doubt_.begin(held, lost->shift);
            return;
        }
    }
    print(held);
}

void DeepDecoder::settleDoubt() {
    if (!doubt_.holding()) return;
    for (const ShiftDoubt::Held& held : doubt_.resolve()) print(held);
}

// With squelch on, a character prints only while the signal's levels stand clearly above
// the noise. Characters decided while it is closed are held (the newest few), and those
// heard at a signal's level shown when it opens: the first characters of a signal come
// before its levels are measured.
void DeepDecoder::print(const ShiftDoubt::Held& c) {
    const char16_t ch = baudot.baudotDecode(c.code);
    if (saved_ != nullptr) saved_->decoded(ch);
    // A figures shift read in the noise must not put the signal's first word in figures:
    // what is decided below the squelch's mark, held back or not, leaves it in letters.
    if (c.snr < kSquelchSnr) baudot.shift = kLettersShift;
    const bool squelch = state_.SquelchState.load(std::memory_order_relaxed) == 1;
    if (squelch && c.snr < kSquelchSnr) {
        squelch_.hold(ch);
        squelch_.heldLevel(c.weakerDb);
        return;
    }
    squelch_.open();
    if (squelch && !squelch_.judge(ch, c.weakerDb, 10.0 * std::log10(c.snr))) return;
    if (ch != 0) emitter_.emitReceivedChar(ch);
}

}  // namespace kestrel
