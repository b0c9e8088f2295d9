#pragma once
// Repeat Match. Contest exchanges are often sent twice in a row. The soft bit values of
// the last 44 characters are kept; after every character the last L characters are
// compared with the L before them, and when the two copies correlate well they are
// combined bit by bit into one corrected copy. If that reads as a single word it is
// printed in braces, " { K1abc } ", with the characters that neither copy had in lower
// case. A brace is printed only where it can have mended something: both copies heard
// while a signal was present, and not where the copies were both received clearly yet
// differ (that is two words, such as "599 609", not one word damaged); and it is printed
// after a word, never inside one.
#include <array>
#include <cstdint>
#include <span>

#include "decode/received_text.h"
#include "decode/repeat_display.h"
#include "decode/repeat_match_sink.h"
#include "modem_state.h"

namespace kestrel {

constexpr int kRepeatRing = 44;
constexpr int kShortestRepeat = 3;
constexpr int kLongestRepeat = 20;
constexpr double kRepeatMatchScore = 0.57;  // a best score this high or higher is a repeat
constexpr int kRepeatSequence = 30;
// A bit is received clearly when its two tones' envelopes differ by at least this many
// times the sum of their noise floors: noise rarely turns a bit decided by that much, so
// two copies that each have such a bit, one as mark and one as space, were sent
// differently. Chosen on weak signals: at -8 dB a damaged bit of a repeated word stays
// below it, while two different numbers heard at -4 dB mostly clear it.
constexpr double kClearMargin = 2.0;

using BitValues = std::array<double, 5>;

// One received character: its code and, per data bit, what the decoder measured at the
// middle of the bit.
struct RepeatRecord {
    BitValues markExcess{};
    BitValues spaceExcess{};
    BitValues markThreshold{};
    BitValues spaceThreshold{};
    BitValues markFloor{};
    BitValues spaceFloor{};
    std::uint8_t code = 0;
    bool signalPresent = false;  // as the framing judged it when the character ended
};

// How well the newest L characters (block A) repeat the L before them (block B).
struct RepeatScore {
    double markMeanA = 0.0;
    double markMeanB = 0.0;
    double spaceMeanA = 0.0;
    double spaceMeanB = 0.0;
    double markCorrelation = 0.0;
    double spaceCorrelation = 0.0;
    double score = 0.0;  // the larger correlation
};

// A corrected repeat as text, with FIGS and LTRS shown as markers, and for each character
// its position in the corrected sequence (-1 for none).
struct RepeatText {
    std::array<char16_t, kRepeatSequence> chars{};
    std::array<std::int8_t, kRepeatSequence> from{};
    int length = 0;

    void append(char16_t c, int position) {
        if (length == kRepeatSequence) return;
        chars[length] = c;
        from[length++] = static_cast<std::int8_t>(position);
    }
    char16_t back() const { return chars[length - 1]; }
    void dropFront(int count);
    int count(char16_t c) const;
    int lowerCaseCount() const;
    bool operator==(const RepeatText& other) const;
};

// Mends a FIGS or LTRS that one bit error turned into another code, judged by the count
// of each in the sequence and by the digits around it.
void repairShifts(std::span<std::uint8_t> codes);

class RepeatMatch : public RepeatMatchSink {
  public:
    RepeatMatch(const ModemState& state, ReceivedText& text);

    // Store what each tone had at bit n of the current character. Nothing happens while
    // Repeat Match is off.
    void markBit(int n, const ToneAtBit& mark) override;
    void spaceBit(int n, const ToneAtBit& space) override;
    // Stores the character's code and whether a signal was present, runs the search and
    // moves on to the next record. Nothing happens while Repeat Match is off.
    void characterEnd(int code, bool signalPresent) override;

    // What the last search found: the best length and its score, and the length of the
    // corrected copy it made.
    struct Search {
        int bestLength = 0;
        double bestScore = 0.0;
        int sequenceLength = 0;
    };
    Search lastSearch() const { return {bestLength_, bestScore_, sequenceLength_}; }

  private:
    // Stores tone at bit n of the current record's channels, while Repeat Match is on.
    void storeBit(int n, const ToneAtBit& tone, BitValues RepeatRecord::*excess,
                  BitValues RepeatRecord::*threshold, BitValues RepeatRecord::*floor);
    // The record `back` characters before the current one.
    const RepeatRecord& earlier(int back) const;
    void search();
    RepeatScore scoreLength(int length) const;
    bool heardWithSignal(int length) const;
    bool atWordEnd() const;
    void releaseAtWordEnd();
    void combine(int length);
    std::uint8_t combineCodes(const RepeatRecord& a, const RepeatRecord& b) const;
    RepeatText spell();
    bool plausible(RepeatText& text) const;
    void print(const RepeatText& text);

    std::array<RepeatRecord, kRepeatRing> ring_{};
    int current_ = 0;                                       // record being filled
    std::array<RepeatScore, kLongestRepeat + 1> scores_{};  // by length, from the last search
    int bestLength_ = 0;
    double bestScore_ = 0.0;
    std::array<std::uint8_t, kRepeatSequence> sequence_{};  // the corrected copy
    std::array<bool, kRepeatSequence> corrected_{};         // neither copy had this code
    std::array<bool, kRepeatSequence> differed_{};          // the copies had different codes
    std::array<bool, kRepeatSequence> clashed_{};           // ... with a bit clearly different
    int sequenceLength_ = 0;
    RepeatText lastPrinted_;
    std::int32_t holdOff_ = 0;
    RepeatText waiting_;  // found while a word was being printed, to print at its end
    int waitingFor_ = 0;  // characters it may still wait
    RepeatDisplay display_;

    const ModemState& state_;
    ReceivedText& text_;
};

}  // namespace kestrel
