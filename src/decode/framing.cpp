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
// kAudible. Below
// kRinging of the loudest envelope within kRingSpan samples either side, the envelope is
// the tone filters' ringing before or after that signal (they are 1024 taps long at the
// envelope rate): a signal itself keeps one channel within 26 dB of its level throughout.
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

double SnrRing::newest() const {
    return values[(writeIndex + kSnrSlots - 1) % kSnrSlots];
}

double SnrRing::trimmedMean() const {
    double sum = 0.0;
    for (double v : values) sum += v;
    const auto [smallest, largest] = std::minmax_element(values.begin(), values.end());
    return (sum - *largest - *smallest) / (kSnrSlots - 2);
}

Framing::Framing(const ModemState& state, ReceivedText& text, ReceiveMeasurements& measurements)
    : baudot(state),
      squelch_(text.emitter(), kSquelchRule),
      state_(state),
      text_(text),
      measurements_(measurements) {
    stopSlots.fill(kDefaultStop);
    markSnr.fill(std::numeric_limits<double>::min());
    spaceSnr.fill(std::numeric_limits<double>::min());
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
    const int s = stopEstimate;
    for (const StopRule& rule : kStopRules)
        if (s >= rule.measuredFrom) return rule.length != 0 ? rule.length : s - rule.shortBy;
    return kStopBelowRules;
}

NoiseMeasurement Framing::frameSample(const DecoderFrame& f) {
    int p = kDefaultStop;
    if (signalPresent == 0) {
        stopSlots.fill(kDefaultStop);
    } else {
        p = stopLength();
    }
    decidedSpace = decide(f, p);
    if (trace != nullptr) {
        const int i = f.sampleIndex;
        trace->traceSample({samplesFramed, f.markEnv[i], f.spaceEnv[i], f.tM(), f.tS(), f.powerDiff,
                            f.rawSpace, decidedSpace, bitClock, framingErrors, snrFigure});
    }
    ++samplesFramed;

    if (bitClock != 0) {
        ++bitClock;
        if (bitClock < kStartMiddle && decidedSpace == 0) ++framingErrors;
    }
    silent_ = isSilent(f);
    watchIdle(f);
    // Silence is not the mark before a start bit: a start needs 32 samples of heard mark.
    if (silent_) {
        markRun = 0;
    } else if (decidedSpace == 0) {
        ++markRun;
    } else if (bitClock >= 1 && bitClock <= kStopMiddle) {
        markRun = 0;
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
    if (framingErrors >= kThreeCharacterRuleBelow) return f.powerDiff < 0.0 ? 1 : 0;
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
        ++idleRun;
    } else if (idleRun > 0) {
        idleRun -= kIdleSpacePenalty;
    }
    if (idleRun < kIdleSamples) return;
    bitClock = 0;
    stopEstimate = kIdleStop;
    stopSlots.fill(kIdleStop);
    if (f.rawSpace != 0) newSignal();
}

void Framing::newSignal() {
    markSnr.fill(kNewSignalSnr);
    spaceSnr.fill(kNewSignalSnr);
    idleRun = 0;
    if (state_.NewsigNewline.load(std::memory_order_relaxed) != 1) return;
    text_.show(u'\n');
    baudot.baudotDecode(kLtrsCode);
    squelch_.clear();
}

void Framing::clockCharacter(const DecoderFrame& f, int p, NoiseMeasurement& noise) {
    const bool space = decidedSpace != 0;
    switch (bitClock) {
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
    if (bitClock >= kFirstBitMiddle && bitClock < kLastBitMiddle &&
        (bitClock - kFirstBitMiddle) % kSamplesPerBit == 0) {
        sampleDataBit(f, (bitClock - kFirstBitMiddle) / kSamplesPerBit);
        return;
    }
    // These checks take the sample only when they fire; otherwise it counts as usual.
    if (bitClock == kStartCheck && !space) {
        ++framingErrors;
        return;
    }
    if (bitClock == kStopMiddle && space) {
        ++framingErrors;
        return;
    }
    if (bitClock == kEarlyEnd && framingErrors > kEarlyEndAbove) {
        bitClock = 0;  // end now so that the next start can be caught early
        framingErrors -= 3;
        return;
    }
    if (bitClock == p + kCharacterEnd) bitClock = 0;
    if (bitClock >= kStopCountFrom) addToStopSlot(kCharacterSlotLimit);
}

void Framing::hunt() {
    if (decidedSpace == 0 || markRun < kMinMarkBeforeStart) {
        addToStopSlot(kHuntSlotLimit);
        return;
    }
    bitClock = 1;
    markRun = 0;
    charBits = 0;
    charSilent = false;
    framingErrors = std::min(framingErrors, kErrorCapAtStart);
    startDetected();
}

void Framing::startDetected() {
    if (stopSlotBad != 0) {
        stopSlots[stopSlotIndex] = stopEstimate;
        stopSlotBad = 0;
    } else {
        int sum = 0;
        for (int s : stopSlots) sum += s;
        const auto [smallest, largest] = std::minmax_element(stopSlots.begin(), stopSlots.end());
        stopEstimate = (sum - *smallest - *largest - 2) / 4;
        measurements_.bitLength(stopEstimate * 8000 /
                                (2 * state_.sampleRate.load(std::memory_order_relaxed)));
    }
    stopSlotIndex = (stopSlotIndex + 1) % kStopSlots;
    stopSlots[stopSlotIndex] = 0;
}

bool Framing::confirmStart(const DecoderFrame& f) {
    markSignal.clear();
    spaceSignal.clear();
    markNoiseList.clear();
    spaceNoiseList.clear();
    if (decidedSpace == 0) {
        framingErrors += 2;  // the space was a glitch
        bitClock = 0;
        return false;
    }
    recordBit(f, true, 0);
    if (framingErrors > 0) --framingErrors;
    return true;
}

void Framing::sampleDataBit(const DecoderFrame& f, int bitNumber) {
    recordBit(f, f.rawSpace != 0, 1 << bitNumber);
    feedRepeatMatch(f, bitNumber);
}

void Framing::feedRepeatMatch(const DecoderFrame& f, int bitNumber) {
    if (repeatMatch == nullptr) return;
    repeatMatch->repeatMatchFeed(kRepeatMark, bitNumber, f.markExcess, f.tM(), f.markFloor);
    repeatMatch->repeatMatchFeed(kRepeatSpace, bitNumber, f.spaceExcess, f.tS(), f.spaceFloor);
}

void Framing::recordBit(const DecoderFrame& f, bool space, int weight) {
    const int i = f.sampleIndex;
    if (silent_) charSilent = true;
    if (space) {
        spaceSignal.append(f.spaceEnv[i]);
        markNoiseList.append(smallestAround(f.markEnv, i));
        return;
    }
    charBits += weight;
    markSignal.append(f.markEnv[i]);
    spaceNoiseList.append(smallestAround(f.spaceEnv, i));
}

// A character with a bit taken from silence is the edge of a signal (its start heard in
// the filters' ringing as the signal went, or the ringing before it came), not a
// character: it prints nothing and moves neither the shift nor Repeat Match.
void Framing::finishCharacter() {
    if (judgeShown_) judgeByOwnSnr(std::numeric_limits<double>::max());  // never left unjudged
    if (charSilent) return;
    char16_t c = baudot.baudotDecode(static_cast<std::uint8_t>(charBits));
    text_.decoded(c);
    holdOrRelease(c);
    if (state_.SquelchState.load(std::memory_order_relaxed) == 1) {
        // Shown at the stop element, once the character's own S/N is known.
        judgeShown_ = true;
        waiting_ = c;
        waitingCode_ = charBits;
        waitingOpen_ = squelchOpen;
        waitingFigure_ = snrFigure;
        return;
    }
    show(c, charBits, squelchOpen);
}

void Framing::show(char16_t c, int code, bool open) {
    if (c != 0) text_.show(c);
    if (repeatMatch != nullptr) repeatMatch->repeatMatchCharacter(code, open);
}

// The character just framed, by its own S/N (the mean over both channels, in dB). Repeat
// Match takes a doubtful character as one without a signal, so that no brace comes out
// ahead of it.
void Framing::judgeByOwnSnr(double own) {
    lastHeard_ = own >= kPresentAbove;
    squelch_.heldLevel(own);
    if (!judgeShown_) return;
    judgeShown_ = false;
    if (waitingOpen_ && !squelch_.judge(waiting_, own, waitingFigure_)) {
        show(0, waitingCode_, false);
        return;
    }
    show(waiting_, waitingCode_, waitingOpen_);
}

void Framing::holdOrRelease(char16_t& c) {
    // Noise alone lifts the S/N figure over its mark now and then, but seldom while the
    // character framing is steady, as it is within a few characters of any signal, and
    // the last character was heard at a signal's level. Once open, the squelch follows
    // the S/N alone, so that a burst of framing trouble inside a message does not close it.
    squelchOpen =
        signalPresent != 0 && (squelchOpen || (framingErrors < kSquelchOpensBelow && lastHeard_));
    if (!squelchOpen && state_.SquelchState.load(std::memory_order_relaxed) == 1) {
        squelch_.hold(c);
        c = 0;
        return;
    }
    squelch_.open();
}

void Framing::checkStop(const DecoderFrame& f, NoiseMeasurement& noise) {
    addToStopSlot(kCharacterSlotLimit);
    const int i = f.sampleIndex;
    if (decidedSpace == 0) {
        markSignal.append(f.markEnv[i]);
        if ((charBits & 16) != 0) spaceNoiseList.append(smallestAround(f.spaceEnv, i));
    } else {
        framingErrors += 2;
        stopSlotBad = 1;
    }
    measureSignal(noise);
}

void Framing::measureSignal(NoiseMeasurement& noise) {
    if (!markNoiseList.empty()) {
        markNoise = markNoiseList.rms();
        noise.mark = markNoise;
    }
    if (!spaceNoiseList.empty()) {
        spaceNoise = spaceNoiseList.rms();
        noise.space = spaceNoise;
    }
    if (!markSignal.empty()) markPeak = markSignal.largest();
    if (!spaceSignal.empty()) spacePeak = spaceSignal.largest();
    markSignal.clear();
    spaceSignal.clear();
    markNoiseList.clear();
    spaceNoiseList.clear();

    double own = 0.0;
    int measured = 0;
    if (markNoise > 0.0 && markPeak > 0.0) {
        markSnr.add(20.0 * std::log10(markPeak / markNoise) - kSnrOffset);
        own += markSnr.newest();
        ++measured;
    }
    if (spaceNoise > 0.0 && spacePeak > 0.0) {
        spaceSnr.add(20.0 * std::log10(spacePeak / spaceNoise) - kSnrOffset);
        own += spaceSnr.newest();
        ++measured;
    }
    judgeByOwnSnr(measured != 0 ? own / measured : 0.0);
    const double markFigure = markSnr.trimmedMean();
    const double spaceFigure = spaceSnr.trimmedMean();
    const double average = 0.5 * (markFigure + spaceFigure);
    if (average > kPresentAbove) signalPresent = 1;
    if (average < kAbsentBelow) signalPresent = 0;
    snrFigure = std::max(0.0, std::max(markFigure, spaceFigure));

    if (wholeDb(markFigure) <= kSnrSignalLost) {
        measurements_.signalToNoise(std::nullopt);
        return;
    }
    measurements_.signalToNoise(wholeDb(snrFigure));
}

void Framing::addToStopSlot(int limit) {
    if (stopSlots[stopSlotIndex] < limit) ++stopSlots[stopSlotIndex];
}

}  // namespace kestrel
