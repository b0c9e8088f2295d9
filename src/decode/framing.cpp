#include "decode/framing.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "decode/audible.h"

namespace kestrel {
namespace {

// Positions in the character, in envelope samples from the start edge (66 per bit).
constexpr int kStartMiddle = 32;
constexpr int kStartCheck = 43;
constexpr int kFirstBitMiddle = 98;
constexpr int kLastBitMiddle = 362;
constexpr int kStopMiddle = 428;
constexpr int kStopCheck = 445;
constexpr int kEarlyEnd = 448;
constexpr int kStopCountFrom = 395;
constexpr int kCharacterEnd = 394;     // plus the stop length P
constexpr int kCharacterLength = 396;  // start and five data bits; plus P is one character

constexpr int kMinMarkBeforeStart = 32;
constexpr int kIdleSamples = 475;  // about 7.2 bits of steady mark
constexpr int kIdleSpacePenalty = 15;
constexpr int kHuntSlotLimit = 241;
constexpr int kCharacterSlotLimit = 481;
constexpr int kThreeCharacterRuleBelow = 8;
constexpr int kEarlyEndAbove = 8;
constexpr int kErrorCapAtStart = 12;
constexpr int kDefaultStop = 99;  // 1.5 stop bits
constexpr int kIdleStop = 98;

constexpr double kPresentAbove = 2.5;  // dB, averaged over both channels
constexpr double kAbsentBelow = 1.2;
constexpr double kNewSignalSnr = 10.0;
constexpr int kSquelchOpensBelow = 5;  // framing errors
constexpr double kSnrOffset = 8.0;
// A held run shown on opening starts where a character's own S/N lets the figure take a
// signal as present and goes on down to where it lets one go. With the squelch open on a
// figure of 8 dB or more, a character whose own S/N lies 5 dB below the figure, and below
// 8 dB, may be the noise after the signal's end (or a deep fade): the noise after a
// signal measures up to about 5 dB; the last character of a clean signal ending in
// silence, its stop element heard only in part, 19 dB.
constexpr SquelchRule kSquelchRule{kPresentAbove, kAbsentBelow, 5.0, 8.0, 8.0};
constexpr int kSnrSignalLost = -1000;

// Silence, for the framing: a sample where neither channel carries anything, below
// kAudible. Below kRinging of the loudest envelope within kRingSpan samples either side,
// the envelope is the tone filters' ringing before or after that signal (they are 1024
// taps long at the envelope rate): a signal itself keeps one channel within 26 dB of its
// level throughout.
// Both channels must stay that quiet for a quarter bit either side: noise dips to nothing
// for a moment now and then, ringing and silence do not come back up.
constexpr double kRinging = 0.05;
constexpr int kRingSpan = 512;
constexpr int kQuietSpan = 16;

double square(double x) {
    return x * x;
}

// The smallest entry of env in i-2..i+2: the quietest moment of the other channel.
double smallestAround(const EnvelopeWindow& env, int i) {
    return *std::min_element(env.begin() + i - 2, env.begin() + i + 3);
}

// A figure in whole dB for the status bar; a runaway figure must not overflow the cast.
int wholeDb(double figure) {
    if (std::isnan(figure)) return 0;
    return static_cast<int>(std::clamp(figure, -1e6, 1e6));
}

double signedSquareOver(double excess, double floor) {
    return excess * std::abs(excess) / floor;
}

}  // namespace

double LevelList::largest() const {
    return *std::max_element(values.begin(), values.begin() + count);
}

double LevelList::rms() const {
    double sum = 0.0;
    for (int k = 0; k < count; ++k) sum += square(values[k]);
    return std::sqrt(sum / count);
}

void SnrRing::add(double v) {
    values[writeIndex] = v;
    writeIndex = (writeIndex + 1) % kSnrSlots;
}

double SnrRing::trimmedMean() const {
    double sum = 0.0;
    for (double v : values) sum += v;
    const auto [smallest, largest] = std::minmax_element(values.begin(), values.end());
    return (sum - *largest - *smallest) / (kSnrSlots - 2);
}

Framing::Framing(const ModemState& state, ReceivedText& text, ReceiveMeasurements& measurements)
    : baudot_(state),
      squelch_(text.emitter(), kSquelchRule),
      state_(state),
      text_(text),
      measurements_(measurements) {
    stopSlots_.fill(kDefaultStop);
    markSnr_.fill(std::numeric_limits<double>::min());
    spaceSnr_.fill(std::numeric_limits<double>::min());
}

// The stop length the three-character rule takes for a measured stop (envelope samples,
// 66 an element), longest first. A measurement near one element, 1.25 or 1.5 elements is
// taken as that stop; a longer one up to about two elements is followed, a little short;
// beyond 2.2 elements it is taken as one element, below 0.9 as 1.5.
namespace {
struct StopRule {
    int measuredFrom;
    int length;  // the stop taken, or, when 0, the measurement less `shortBy`
    int shortBy;
};
constexpr StopRule kStopRules[] = {{146, 60, 0}, {121, 0, 12}, {111, 0, 6},
                                   {93, 98, 0},  {75, 82, 0},  {59, 60, 0}};
constexpr int kStopBelowRules = 95;
}  // namespace

int Framing::stopLength() const {
    const int s = stopEstimate_;
    for (const StopRule& rule : kStopRules)
        if (s >= rule.measuredFrom) return rule.length != 0 ? rule.length : s - rule.shortBy;
    return kStopBelowRules;
}

NoiseMeasurement Framing::frameSample(const DecoderFrame& f) {
    int p = kDefaultStop;
    if (signalPresent_ == 0) {
        stopSlots_.fill(kDefaultStop);
    } else {
        p = stopLength();
    }
    decidedSpace_ = decide(f, p);
    if (trace_ != nullptr) {
        const int i = f.sampleIndex;
        trace_->traceSample({samplesFramed_, f.markEnv[i], f.spaceEnv[i], f.tM(), f.tS(),
                             f.powerDiff, f.rawSpace, decidedSpace_, bitClock_, framingErrors_,
                             snrFigure_});
    }
    ++samplesFramed_;

    if (bitClock_ != 0) {
        ++bitClock_;
        if (bitClock_ < kStartMiddle && decidedSpace_ == 0) ++framingErrors_;
    }
    silent_ = isSilent(f);
    watchIdle(f);
    // Silence is not the mark before a start bit: a start needs 32 samples of heard mark.
    if (silent_) {
        markRun_ = 0;
    } else if (decidedSpace_ == 0) {
        ++markRun_;
    } else if (bitClock_ >= 1 && bitClock_ <= kStopMiddle) {
        markRun_ = 0;
    }
    NoiseMeasurement noise;
    clockCharacter(f, p, noise);
    return noise;
}

// Whether both channels are quiet around sample i (see kAudible and kRinging). The loudest
// envelope near i comes from the loudest of each 64-sample tile of the windows, taken
// again whenever a new block (or the other decoder's frame) comes: the windows stay put
// within a block.
bool Framing::isSilent(const DecoderFrame& f) {
    const int i = f.sampleIndex;
    if (&f != tiledFrame_ || i <= tiledIndex_) {
        tiledFrame_ = &f;
        for (int t = 0; t < kTiles; ++t) {
            double loudest = 0.0;
            for (int k = t * kTile; k < (t + 1) * kTile; ++k)
                loudest = std::max({loudest, std::abs(f.markEnv[k]), std::abs(f.spaceEnv[k])});
            tileLoudest_[t] = loudest;
        }
    }
    tiledIndex_ = i;
    const int first = std::max(0, i - kRingSpan) / kTile;
    const int last = std::min(kEnvelopeWindow - 1, i + kRingSpan) / kTile;
    const double nearby =
        *std::max_element(tileLoudest_.begin() + first, tileLoudest_.begin() + last + 1);
    const double quiet = std::max(kAudible, kRinging * nearby);
    for (int k = std::max(0, i - kQuietSpan); k <= std::min(kEnvelopeWindow - 1, i + kQuietSpan);
         ++k)
        if (std::abs(f.markEnv[k]) >= quiet || std::abs(f.spaceEnv[k]) >= quiet) return false;
    return true;
}

// While framing is steady the same bit position one character earlier and one later
// also vote; otherwise the decoder's own soft decision stands.
int Framing::decide(const DecoderFrame& f, int p) const {
    if (framingErrors_ >= kThreeCharacterRuleBelow) return f.powerDiff < 0.0 ? 1 : 0;
    const auto& a = f.markEnv;
    const auto& b = f.spaceEnv;
    const int i = f.sampleIndex;
    const int back = i - p - kCharacterLength;
    const int ahead = i + p + kCharacterLength;
    const double m3 = std::sqrt((square(a[i]) + square(a[back]) + square(a[ahead - 2])) / 3.0);
    const double s3 =
        std::sqrt((b[back] * b[back + 2] + square(b[i]) + b[ahead] * b[ahead - 2]) / 3.0);
    double v = m3 - s3;
    if (state_.Decodemode.load(std::memory_order_relaxed) == kDecodeSelectiv) {
        v = signedSquareOver(m3 - f.tM(), f.markFloor) -
            signedSquareOver(s3 - f.tS(), f.spaceFloor);
    }
    return v < 0.0 ? 1 : 0;
}

void Framing::watchIdle(const DecoderFrame& f) {
    if (f.rawSpace == 0) {
        ++idleRun_;
    } else if (idleRun_ > 0) {
        idleRun_ -= kIdleSpacePenalty;
    }
    if (idleRun_ < kIdleSamples) return;
    bitClock_ = 0;
    stopEstimate_ = kIdleStop;
    stopSlots_.fill(kIdleStop);
    if (f.rawSpace != 0) newSignal();
}

void Framing::newSignal() {
    markSnr_.fill(kNewSignalSnr);
    spaceSnr_.fill(kNewSignalSnr);
    idleRun_ = 0;
    if (state_.NewsigNewline.load(std::memory_order_relaxed) != 1) return;
    text_.show(u'\n');
    baudot_.baudotDecode(kLtrsCode);
    squelch_.clear();
}

void Framing::clockCharacter(const DecoderFrame& f, int p, NoiseMeasurement& noise) {
    const bool space = decidedSpace_ != 0;
    switch (bitClock_) {
        case 0:
            hunt();
            return;
        case kStartMiddle:
            confirmStart(f);
            return;
        case kLastBitMiddle:
            feedRepeatMatch(f, 4);
            recordBit(f, f.rawSpace != 0, 16);
            finishCharacter();
            return;
        case kStopCheck:
            checkStop(f, noise);
            return;
        default:
            break;
    }
    // The middles of the first four data bits; the fifth's, above, ends the character.
    if (bitClock_ >= kFirstBitMiddle && bitClock_ < kLastBitMiddle &&
        (bitClock_ - kFirstBitMiddle) % kSamplesPerBit == 0) {
        sampleDataBit(f, (bitClock_ - kFirstBitMiddle) / kSamplesPerBit);
        return;
    }
    // These checks take the sample only when they fire; otherwise it counts as usual.
    if (bitClock_ == kStartCheck && !space) {
        ++framingErrors_;
        return;
    }
    if (bitClock_ == kStopMiddle && space) {
        ++framingErrors_;
        return;
    }
    if (bitClock_ == kEarlyEnd && framingErrors_ > kEarlyEndAbove) {
        bitClock_ = 0;  // end now so that the next start can be caught early
        framingErrors_ -= 3;
        return;
    }
    if (bitClock_ == p + kCharacterEnd) bitClock_ = 0;
    if (bitClock_ >= kStopCountFrom) addToStopSlot(kCharacterSlotLimit);
}

void Framing::hunt() {
    if (decidedSpace_ == 0 || markRun_ < kMinMarkBeforeStart) {
        addToStopSlot(kHuntSlotLimit);
        return;
    }
    bitClock_ = 1;
    markRun_ = 0;
    charBits_ = 0;
    charSilent_ = false;
    framingErrors_ = std::min(framingErrors_, kErrorCapAtStart);
    startDetected();
}

void Framing::startDetected() {
    if (stopSlotBad_ != 0) {
        stopSlots_[stopSlotIndex_] = stopEstimate_;
        stopSlotBad_ = 0;
    } else {
        int sum = 0;
        for (int s : stopSlots_) sum += s;
        const auto [smallest, largest] = std::minmax_element(stopSlots_.begin(), stopSlots_.end());
        stopEstimate_ = (sum - *smallest - *largest - 2) / 4;
        measurements_.bitLength(stopEstimate_ * 8000 /
                                (2 * state_.sampleRate.load(std::memory_order_relaxed)));
    }
    stopSlotIndex_ = (stopSlotIndex_ + 1) % kStopSlots;
    stopSlots_[stopSlotIndex_] = 0;
}

bool Framing::confirmStart(const DecoderFrame& f) {
    markSignal_.clear();
    spaceSignal_.clear();
    markNoiseList_.clear();
    spaceNoiseList_.clear();
    if (decidedSpace_ == 0) {
        framingErrors_ += 2;  // the space was a glitch
        bitClock_ = 0;
        return false;
    }
    recordBit(f, true, 0);
    if (framingErrors_ > 0) --framingErrors_;
    return true;
}

void Framing::sampleDataBit(const DecoderFrame& f, int bitNumber) {
    recordBit(f, f.rawSpace != 0, 1 << bitNumber);
    feedRepeatMatch(f, bitNumber);
}

void Framing::feedRepeatMatch(const DecoderFrame& f, int bitNumber) {
    if (repeatMatch_ == nullptr) return;
    repeatMatch_->markBit(bitNumber, {f.markExcess, f.tM(), f.markFloor});
    repeatMatch_->spaceBit(bitNumber, {f.spaceExcess, f.tS(), f.spaceFloor});
}

void Framing::recordBit(const DecoderFrame& f, bool space, int weight) {
    const int i = f.sampleIndex;
    if (silent_) charSilent_ = true;
    if (space) {
        spaceSignal_.append(f.spaceEnv[i]);
        markNoiseList_.append(smallestAround(f.markEnv, i));
        return;
    }
    charBits_ += weight;
    markSignal_.append(f.markEnv[i]);
    spaceNoiseList_.append(smallestAround(f.spaceEnv, i));
}

// A character with a bit taken from silence is the edge of a signal (its start heard in
// the filters' ringing as the signal went, or the ringing before it came), not a
// character: it prints nothing and moves neither the shift nor Repeat Match.
void Framing::finishCharacter() {
    if (judgeShown_) judgeByOwnSnr(std::numeric_limits<double>::max());  // never left unjudged
    if (charSilent_) return;
    char16_t c = baudot_.baudotDecode(static_cast<std::uint8_t>(charBits_));
    text_.decoded(c);
    holdOrRelease(c);
    if (state_.SquelchState.load(std::memory_order_relaxed) == 1) {
        // Shown at the stop element, once the character's own S/N is known.
        judgeShown_ = true;
        waiting_ = c;
        waitingCode_ = charBits_;  // its squelch state and the S/N figure stand until then
        return;
    }
    show(c, charBits_, squelchOpen_);
}

void Framing::show(char16_t c, int code, bool open) {
    if (c != 0) text_.show(c);
    if (repeatMatch_ != nullptr) repeatMatch_->characterEnd(code, open);
}

// The character just framed, by its own S/N (the mean over both channels, in dB). Repeat
// Match takes a doubtful character as one without a signal, so that no brace comes out
// ahead of it.
void Framing::judgeByOwnSnr(double own) {
    lastHeard_ = own >= kPresentAbove;
    squelch_.heldLevel(own);
    if (!judgeShown_) return;
    judgeShown_ = false;
    if (squelchOpen_ && !squelch_.judge(waiting_, own, snrFigure_)) {
        show(0, waitingCode_, false);
        return;
    }
    show(waiting_, waitingCode_, squelchOpen_);
}

void Framing::holdOrRelease(char16_t& c) {
    // Noise alone lifts the S/N figure over its mark now and then, but seldom while the
    // character framing is steady, as it is within a few characters of any signal, and
    // the last character was heard at a signal's level. Once open, the squelch follows
    // the S/N alone, so that a burst of framing trouble inside a message does not close it.
    squelchOpen_ = signalPresent_ != 0 &&
                   (squelchOpen_ || (framingErrors_ < kSquelchOpensBelow && lastHeard_));
    if (!squelchOpen_ && state_.SquelchState.load(std::memory_order_relaxed) == 1) {
        squelch_.hold(c);
        c = 0;
        return;
    }
    squelch_.open();
}

void Framing::checkStop(const DecoderFrame& f, NoiseMeasurement& noise) {
    addToStopSlot(kCharacterSlotLimit);
    const int i = f.sampleIndex;
    if (decidedSpace_ == 0) {
        markSignal_.append(f.markEnv[i]);
        if ((charBits_ & 16) != 0) spaceNoiseList_.append(smallestAround(f.spaceEnv, i));
    } else {
        framingErrors_ += 2;
        stopSlotBad_ = 1;
    }
    measureSignal(noise);
}

void Framing::measureSignal(NoiseMeasurement& noise) {
    if (!markNoiseList_.empty()) {
        markNoise_ = markNoiseList_.rms();
        noise.mark = markNoise_;
    }
    if (!spaceNoiseList_.empty()) {
        spaceNoise_ = spaceNoiseList_.rms();
        noise.space = spaceNoise_;
    }
    if (!markSignal_.empty()) markPeak_ = markSignal_.largest();
    if (!spaceSignal_.empty()) spacePeak_ = spaceSignal_.largest();
    markSignal_.clear();
    spaceSignal_.clear();
    markNoiseList_.clear();
    spaceNoiseList_.clear();

    // The character's own S/N: the mean of what each channel measured of it.
    double own = 0.0;
    int measured = 0;
    const auto measureChannel = [&](double peak, double noiseLevel, SnrRing& ring) {
        if (noiseLevel <= 0.0 || peak <= 0.0) return;
        const double db = 20.0 * std::log10(peak / noiseLevel) - kSnrOffset;
        ring.add(db);
        own += db;
        ++measured;
    };
    measureChannel(markPeak_, markNoise_, markSnr_);
    measureChannel(spacePeak_, spaceNoise_, spaceSnr_);
    judgeByOwnSnr(measured != 0 ? own / measured : 0.0);
    const double markFigure = markSnr_.trimmedMean();
    const double spaceFigure = spaceSnr_.trimmedMean();
    const double average = 0.5 * (markFigure + spaceFigure);
    if (average > kPresentAbove) signalPresent_ = 1;
    if (average < kAbsentBelow) signalPresent_ = 0;
    snrFigure_ = std::max(0.0, std::max(markFigure, spaceFigure));

    if (wholeDb(markFigure) <= kSnrSignalLost) {
        measurements_.signalToNoise(std::nullopt);
        return;
    }
    measurements_.signalToNoise(wholeDb(snrFigure_));
}

void Framing::addToStopSlot(int limit) {
    if (stopSlots_[stopSlotIndex_] < limit) ++stopSlots_[stopSlotIndex_];
}

}  // namespace kestrel
