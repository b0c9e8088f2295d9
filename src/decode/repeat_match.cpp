#include "decode/repeat_match.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "decode/baudot_decoder.h"

namespace kestrel {
namespace {

constexpr int kRepairFrom = 5;  // positions in a sequence before its shifts are checked

using Channel = BitValues RepeatRecord::*;

// A bit's vote: its excess squared with its sign, weighted by threshold over floor. A
// record that was never measured (floor 0) has no vote.
double vote(double excess, double threshold, double floor) {
    if (!(floor > 0.0)) return 0.0;
    return excess * std::abs(excess) * threshold / floor;
}

double bitVote(const RepeatRecord& r, int j) {
    return vote(r.markExcess[j], r.markThreshold[j], r.markFloor[j]) -
           vote(r.spaceExcess[j], r.spaceThreshold[j], r.spaceFloor[j]);
}

// The tones' envelopes at the middle of bit j (excess plus threshold) differ by a margin
// that the noise floors cannot explain.
bool receivedClearly(const RepeatRecord& r, int j) {
    const double mark = r.markExcess[j] + r.markThreshold[j];
    const double space = r.spaceExcess[j] + r.spaceThreshold[j];
    return std::abs(mark - space) >= kClearMargin * (r.markFloor[j] + r.spaceFloor[j]);
}

// Some bit in which the two records differ was received clearly by both.
bool clash(const RepeatRecord& a, const RepeatRecord& b) {
    for (int j = 0; j < 5; ++j) {
        const bool differs = ((a.code ^ b.code) >> j & 1) != 0;
        if (differs && receivedClearly(a, j) && receivedClearly(b, j)) return true;
    }
    return false;
}

// A space or a line break: what stands between words, never part of a printed one.
bool isWordBreak(std::uint8_t code) {
    return code == kSpaceCode || code == kCarriageReturnCode || code == kLineFeedCode;
}

int indexOfNth(std::span<const std::uint8_t> codes, std::uint8_t code, int nth) {
    for (int p = 0; p < static_cast<int>(codes.size()); ++p) {
        if (codes[p] == code && --nth == 0) return p;
    }
    return -1;
}

bool isLowerCase(char16_t c) {
    return c >= u'a' && c <= u'z';
}

char16_t toLowerCase(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

}  // namespace

void RepeatText::dropFront(int n) {
    std::copy(chars.begin() + n, chars.begin() + length, chars.begin());
    std::copy(from.begin() + n, from.begin() + length, from.begin());
    length -= n;
}

int RepeatText::count(char16_t c) const {
    return static_cast<int>(std::count(chars.begin(), chars.begin() + length, c));
}

int RepeatText::lowerCaseCount() const {
    return static_cast<int>(std::count_if(chars.begin(), chars.begin() + length, isLowerCase));
}

bool RepeatText::operator==(const RepeatText& other) const {
    return length == other.length &&
           std::equal(chars.begin(), chars.begin() + length, other.chars.begin());
}

void repairShifts(std::span<std::uint8_t> codes) {
    const int size = static_cast<int>(codes.size());
    const int ltrs = static_cast<int>(std::count(codes.begin(), codes.end(), kLtrsCode));
    const int figs = static_cast<int>(std::count(codes.begin(), codes.end(), kFigsCode));
    switch (ltrs - figs) {
        case 2:  // an LTRS before a digit was a FIGS
            for (int p = 0; p + 1 < size; ++p) {
                if (codes[p] == kLtrsCode && hasFiguresDigit(codes[p + 1])) {
                    codes[p] = kFigsCode;
                    return;
                }
            }
            return;
        case -2: {
            const int p = indexOfNth(codes, kFigsCode, 2);
            if (p >= 0) codes[p] = kLtrsCode;
            return;
        }
        case 1: {  // a lost FIGS just before the digits that end at the first LTRS
            const int p = indexOfNth(codes, kLtrsCode, 1);
            if (p >= 2 && hasFiguresDigit(codes[p - 1]) && isOneBitFrom(codes[p - 2], kFigsCode)) {
                codes[p - 2] = kFigsCode;
            }
            return;
        }
        case -1: {  // a lost LTRS just after the digits that follow the first FIGS
            if (codes[size - 1] == kSpaceCode) return;
            const int p = indexOfNth(codes, kFigsCode, 1);
            if (p >= 0 && p + 2 < size && hasFiguresDigit(codes[p + 1]) &&
                isOneBitFrom(codes[p + 2], kLtrsCode)) {
                codes[p + 2] = kLtrsCode;
            }
            return;
        }
        default:
            return;
    }
}

RepeatMatch::RepeatMatch(const ModemState& state, ReceivedText& text)
    : state_(state), text_(text) {}

void RepeatMatch::markBit(int n, const ToneAtBit& mark) {
    storeBit(n, mark, &RepeatRecord::markExcess, &RepeatRecord::markThreshold,
             &RepeatRecord::markFloor);
}

void RepeatMatch::spaceBit(int n, const ToneAtBit& space) {
    storeBit(n, space, &RepeatRecord::spaceExcess, &RepeatRecord::spaceThreshold,
             &RepeatRecord::spaceFloor);
}

void RepeatMatch::storeBit(int n, const ToneAtBit& tone, BitValues RepeatRecord::*excess,
                           BitValues RepeatRecord::*threshold, BitValues RepeatRecord::*floor) {
    if (state_.CorrelateState.load(std::memory_order_relaxed) == 0) return;
    if (n < 0 || n > 4) return;
    RepeatRecord& r = ring_[current_];
    (r.*excess)[n] = tone.excess;
    (r.*threshold)[n] = tone.threshold;
    (r.*floor)[n] = tone.floor;
}

void RepeatMatch::characterEnd(int code, bool signalPresent) {
    if (state_.CorrelateState.load(std::memory_order_relaxed) == 0) return;
    ring_[current_].code = static_cast<std::uint8_t>(code & 31);
    ring_[current_].signalPresent = signalPresent;
    search();
    releaseAtWordEnd();
    current_ = (current_ + 1) % kRepeatRing;
}

const RepeatRecord& RepeatMatch::earlier(int back) const {
    return ring_[((current_ - back) % kRepeatRing + kRepeatRing) % kRepeatRing];
}

void RepeatMatch::search() {
    bestLength_ = 0;
    bestScore_ = -2.0;  // below any correlation
    for (int length = kShortestRepeat; length <= kLongestRepeat; ++length) {
        scores_[length] = scoreLength(length);
        if (scores_[length].score > bestScore_) {  // on a tie the shorter length stays
            bestScore_ = scores_[length].score;
            bestLength_ = length;
        }
    }
    if (bestScore_ < kRepeatMatchScore) return;

    combine(bestLength_);
    if (holdOff_ != 0) --holdOff_;
    if (sequenceLength_ >= kRepairFrom) {
        repairShifts(std::span(sequence_.data(), static_cast<std::size_t>(sequenceLength_)));
    }
    RepeatText text = spell();
    if (!plausible(text) || !heardWithSignal(bestLength_)) return;
    waiting_ = text;
    waitingFor_ = kLongestRepeat;
}

// A brace found while a word is still being printed (its copies say the word has ended
// where the newest copy has a damaged space) waits for the end of that word: printed at
// once it would split the word, and the contest word filter's view of it. It is dropped
// when the signal goes, or when no word ends within the longest repeat.
void RepeatMatch::releaseAtWordEnd() {
    if (waiting_.length == 0) return;
    if (!earlier(0).signalPresent || --waitingFor_ < 0) {
        waiting_.length = 0;
        return;
    }
    if (!atWordEnd()) return;
    print(waiting_);
    waiting_.length = 0;
}

// Both copies, and the characters before them, were received while the framing judged
// a signal present: a copy made of noise, or of records never filled, mends nothing.
bool RepeatMatch::heardWithSignal(int length) const {
    for (int back = 0; back <= 2 * length; ++back) {
        if (!earlier(back).signalPresent) return false;
    }
    return true;
}

// The character just printed ends a word: a word break, or shifts after one.
bool RepeatMatch::atWordEnd() const {
    for (int back = 0; back < kRepeatRing; ++back) {
        const std::uint8_t code = earlier(back).code;
        if (code != kFigsCode && code != kLtrsCode) return isWordBreak(code);
    }
    return false;
}

// Block A is the newest `length` records, block B the `length` records before them;
// each bit of A is paired with the same bit of the record `length` places earlier.
RepeatScore RepeatMatch::scoreLength(int length) const {
    const double values = 5.0 * length;
    auto correlate = [&](Channel channel, double& meanA, double& meanB) {
        double sumA = 0.0;
        double sumB = 0.0;
        for (int k = 0; k < length; ++k) {
            for (int j = 0; j < 5; ++j) {
                sumA += (earlier(k).*channel)[j];
                sumB += (earlier(length + k).*channel)[j];
            }
        }
        meanA = sumA / values;
        meanB = sumB / values;
        double ab = 0.0;
        double aa = 0.0;
        double bb = 0.0;
        for (int k = 0; k < length; ++k) {
            for (int j = 0; j < 5; ++j) {
                const double a = (earlier(k).*channel)[j] - meanA;
                const double b = (earlier(length + k).*channel)[j] - meanB;
                ab += a * b;
                aa += a * a;
                bb += b * b;
            }
        }
        const double spread = std::sqrt(aa * bb);
        return spread > 0.0 ? ab / spread : 0.0;  // a flat block correlates with nothing
    };
    RepeatScore s;
    s.markCorrelation = correlate(&RepeatRecord::markExcess, s.markMeanA, s.markMeanB);
    s.spaceCorrelation = correlate(&RepeatRecord::spaceExcess, s.spaceMeanA, s.spaceMeanB);
    s.score = std::max(s.markCorrelation, s.spaceCorrelation);
    return s;
}

// The corrected copy runs over length + 1 positions: from the record just before the
// newer copy to the current one, each paired with the record `length` places earlier,
// so a word sent twice with its spaces, " 014 014 ", comes out as " 014 ".
void RepeatMatch::combine(int length) {
    sequenceLength_ = length + 1;
    for (int k = 0; k <= length; ++k) {
        const RepeatRecord& newer = earlier(length - k);
        const RepeatRecord& older = earlier(2 * length - k);
        corrected_[k] = false;
        differed_[k] = newer.code != older.code;
        clashed_[k] = clash(newer, older);
        if (!differed_[k]) {
            sequence_[k] = newer.code;
            continue;
        }
        sequence_[k] = combineCodes(newer, older);
        corrected_[k] = sequence_[k] != newer.code && sequence_[k] != older.code;
    }
}

std::uint8_t RepeatMatch::combineCodes(const RepeatRecord& a, const RepeatRecord& b) const {
    std::uint8_t code = 0;
    for (int j = 0; j < 5; ++j) {
        if (bitVote(a, j) + bitVote(b, j) > 0.0) code |= static_cast<std::uint8_t>(1 << j);
    }
    return code;
}

RepeatText RepeatMatch::spell() {
    RepeatText text;
    for (int k = 0; k < sequenceLength_; ++k) {
        const char16_t c = display_.displayDecode(sequence_[k]);
        if (c == 0) continue;
        text.append(corrected_[k] ? toLowerCase(c) : c, k);
    }
    return text;
}

// A single word between spaces, mostly as received, not two different words, and not the
// one just printed. Trims the spaces around the word.
bool RepeatMatch::plausible(RepeatText& text) const {
    if (text.length < 3 || text.chars[0] != u' ') return false;
    int lead = 0;
    while (lead < text.length && text.chars[lead] == u' ') ++lead;
    text.dropFront(lead);
    if (text.length >= 2 && text.back() == kLtrsMarker && text.chars[text.length - 2] == u' ') {
        // The LTRS followed the word's space: it is kept as a marker, but it is no part of
        // the word, and copies that differ there differ between words.
        text.chars[text.length - 2] = kLtrsMarker;
        text.from[text.length - 2] = -1;
        text.chars[text.length - 1] = u' ';
    }
    if (text.length == 0 || text.back() != u' ') return false;
    while (text.length > 0 && text.back() == u' ') --text.length;
    if (text.count(u' ') != 0) return false;

    const int shown = text.length - text.count(kFigsMarker) - text.count(kLtrsMarker);
    if (text.lowerCaseCount() >= shown / 2) return false;
    // Only the word's own characters count: copies that end in a space and a line break,
    // or in the space and the closing LTRS of a transmission, are the same word.
    bool wordDiffered = false;
    for (int i = 0; i < text.length; ++i) {
        const int k = text.from[i];
        if (k < 0) continue;
        if (clashed_[k]) return false;
        wordDiffered = wordDiffered || differed_[k];
    }
    if (state_.CorrelateStateSame.load(std::memory_order_relaxed) == 1 && !wordDiffered) {
        return false;
    }
    return holdOff_ == 0 || !(text == lastPrinted_);
}

void RepeatMatch::print(const RepeatText& text) {
    holdOff_ = text.length + 2;
    lastPrinted_ = text;
    std::array<char16_t, kRepeatSequence> word{};
    int length = 0;
    for (int k = 0; k < text.length; ++k) {
        const char16_t c = text.chars[k];
        if (c != kFigsMarker && c != kLtrsMarker) word[length++] = c;
    }
    text_.mended(std::u16string_view(word.data(), static_cast<std::size_t>(length)));
}

}  // namespace kestrel
