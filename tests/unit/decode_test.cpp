#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "decode/baudot_decoder.h"
#include "decode/contest_word_filter.h"
#include "decode/repeat_match.h"
#include "decode/shift_doubt.h"
#include "decode/squelch_hold.h"
#include "fakes/fakes.h"
#include "platform/logger_codes.h"
#include "transmit/baudot_encoding.h"

namespace kestrel {
namespace {

// The received codes (1 = mark) a sender keys for text, with FIGS (27) and LTRS (31) where
// the case changes; a space returns the receiver to letters.
std::vector<int> ita2Codes(std::string_view text) {
    std::vector<int> codes;
    bool figures = false;
    for (char c : text) {
        const BaudotCode b = encodeBaudot(static_cast<std::uint8_t>(c));
        const bool figure = (b & kFiguresCase) != 0;
        if (c == ' ') figures = false;
        if (figure != figures && c != '\r' && c != '\n' && c != ' ') {
            codes.push_back(figure ? 27 : 31);
            figures = figure;
        }
        codes.push_back(~b & kBaudotDataBits);
    }
    return codes;
}

// One character into Repeat Match the way the framing feeds it: soft values per bit
// (positive for mark), the same with the sign turned for space.
void feed(RepeatMatch& match, int code, const BitValues& mark, double threshold, double floor,
          bool signalPresent = true) {
    for (int j = 0; j < 5; ++j) {
        match.markBit(j, {mark[j], threshold, floor});
        match.spaceBit(j, {-mark[j], threshold, floor});
    }
    match.characterEnd(code, signalPresent);
}

struct RepeatMatchTest : ::testing::Test {
    ModemState state;
    RecordingLogger logger;
    NoSaveTextFile noFile;
    ReceivedCharEmitter emitter{state, logger};
    ReceivedText text{state, emitter, noFile};
    RepeatMatch match{state, text};
    std::uint64_t seed = 99;
    bool signalPresent = true;

    RepeatMatchTest() { state.Contest = 0; }

    // A sent code whose bits in `damaged` were received wrong, each of them only weakly;
    // the other bits are clear, with a little ripple.
    void send(int sent, int damaged = 0) {
        BitValues mark{};
        for (int j = 0; j < 5; ++j) {
            const double sign = ((sent >> j) & 1) != 0 ? 1.0 : -1.0;
            mark[j] = (damaged >> j) & 1 ? -0.1 * sign : sign * (0.5 + ripple());
        }
        feed(match, sent ^ damaged, mark, 0.5, 0.05, signalPresent);
    }
    // The codes of text; damage maps a code's index to the bits received wrong.
    void sendText(std::string_view text, std::map<int, int> damage = {}) {
        const auto codes = ita2Codes(text);
        for (int k = 0; k < static_cast<int>(codes.size()); ++k) send(codes[k], damage[k]);
    }
    double ripple() {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return 0.2 * (static_cast<double>(seed >> 11) / 9007199254740992.0 - 0.5);
    }
    std::string printed() const { return logger.textOf(TXM_CHAR); }
};

// " K1ABC K1ABC " is space, K, FIGS, 1, LTRS, A, B, C, space, ...: the A of the first
// copy is code 5, that of the second code 13.
TEST_F(RepeatMatchTest, ACodeNeitherCopyHadPrintsInLowerCase) {
    sendText(" K1ABC K1ABC ", {{5, 0b00100}, {13, 0b01000}});  // read as U and as J
    EXPECT_EQ(printed(), " { K1aBC } ");
    // A shorter word after it spells itself alone, nothing of the longer one's copy.
    sendText("599 TU TU ", {{5, 0b00010}});
    EXPECT_EQ(printed(), " { K1aBC } { TU } ");
    // A carriage return ends a word as a space does, its line feed lost or not.
    sendText("W1AW\rW1AW\r", {{2, 0b00100}});
    EXPECT_EQ(printed(), " { K1aBC } { TU } { W1AW } ");
}

// Where the newer copy's closing space was received as E, the copies still say the word
// ended there: the brace waits for the end of the word the receiver is printing.
TEST_F(RepeatMatchTest, ARepeatFoundInsideAWordPrintsAtItsEnd) {
    sendText(" K1ABC K1ABC ", {{5, 0b00100}, {16, 0b00101}});
    EXPECT_EQ(printed(), "");
    sendText(" ");
    EXPECT_EQ(printed(), " { K1ABC } ");
}

// A repeat found while no signal is judged present never prints, squelch on or off, nor
// one whose older copy was heard without a signal; a repeat heard with a signal does.
TEST_F(RepeatMatchTest, ARepeatPrintsOnlyWhileASignalIsPresent) {
    signalPresent = false;
    state.SquelchState = 1;
    sendText(" K1ABC K1ABC ", {{5, 0b11111}});
    state.SquelchState = 0;
    sendText(" W1AW W1AW ", {{1, 0b11111}});
    sendText(" VE3ABC");
    signalPresent = true;
    sendText(" VE3ABC ", {{1, 0b11111}});
    EXPECT_EQ(printed(), "");
    sendText(" DL5XYZ DL5XYZ ", {{2, 0b11111}});
    EXPECT_EQ(printed(), " { DL5XYZ } ");
}

// The blank code (all five elements space), sent again and again, repeats perfectly but
// spells at most two blanks: fewer than three characters, never printed.
TEST_F(RepeatMatchTest, ARepeatOfBlankCharactersNeverPrints) {
    state.CorrelateStateSame = 0;
    sendText(" DE W1AW TEST ");
    for (int k = 0; k < 30; ++k) send(0);
    EXPECT_EQ(printed(), "");
}

// Integer soft values whose best correlation at the last character is 57/100 at length
// 5, and below 0.5 at every other length and every earlier character.
constexpr BitValues kExactRecords[] = {
    {-2, -2, -2, 0, -3}, {-3, 1, 2, 2, -2}, {1, 2, -2, -2, -1}, {0, -3, 3, 2, 3},
    {1, -1, 0, -2, 2},   {0, 2, -3, -3, 1}, {0, 1, 2, 2, -2},   {-3, -2, -3, -2, -1},
    {-3, -2, 3, 2, 3},   {1, -1, 0, 2, 2},  {1, 2, 1, -3, 0}};

TEST_F(RepeatMatchTest, AScoreOfExactly057IsARepeatAnd056IsNot) {
    state.CorrelateStateSame = 0;
    const std::vector<int> codes = ita2Codes(" TEST TEST ");
    auto feedAll = [&](RepeatMatch& m, std::span<const BitValues, 11> values) {
        for (int k = 0; k < 11; ++k) feed(m, codes[k], values[k], 1.0, 1.0);
    };
    feedAll(match, kExactRecords);
    EXPECT_EQ(match.lastSearch().bestLength, 5);
    EXPECT_EQ(match.lastSearch().bestScore, 0.57);
    EXPECT_EQ(printed(), " { TEST } ");

    auto lower = std::to_array(kExactRecords);
    std::swap(lower[5][1], lower[4][0]);  // one product fewer in common
    RepeatMatch fresh{state, text};
    feedAll(fresh, lower);
    EXPECT_EQ(fresh.lastSearch().bestScore, 0.56);
    EXPECT_EQ(printed(), " { TEST } ");
}

// Shift codes the corrected copy has too many of are mended where they are most likely
// damaged: an LTRS before a digit, a second FIGS, or a shift hit by one bit.
TEST(RepeatShifts, SurplusShiftsAreMendedWhereTheyAreMostLikelyDamaged) {
    const struct {
        std::vector<std::uint8_t> codes;
        std::size_t at;
        std::uint8_t mended;
    } cases[] = {
        {{4, 31, 3, 31, 16, 24, 4}, 3, 27},  // two LTRS too many: the one before a digit
        {{4, 27, 16, 27, 3, 4}, 3, 31},      // two FIGS too many: the second
        // One LTRS too many mends a FIGS hit by one bit, and nothing else.
        {{4, 11, 16, 31, 3, 4}, 1, 27},
        {{4, 19, 16, 31, 3, 4}, 1, 27},
        {{4, 25, 16, 31, 3, 4}, 1, 27},
        {{4, 26, 16, 31, 3, 4}, 1, 27},
        {{4, 3, 16, 31, 3, 4}, 1, 3},
        // One FIGS too many mends an LTRS hit by one bit, unless a space ends the word.
        {{4, 27, 16, 15, 3, 3}, 3, 31},
        {{4, 27, 16, 23, 3, 3}, 3, 31},
        {{4, 27, 16, 27, 3, 3, 31}, 3, 31},  // the LTRS at the end keeps one FIGS too many
        {{4, 27, 16, 29, 3, 3}, 3, 31},
        {{4, 27, 16, 30, 3, 3}, 3, 31},
        {{4, 27, 16, 30, 3, 4}, 3, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        std::vector<std::uint8_t> codes = c.codes;
        std::vector<std::uint8_t> expected = c.codes;  // the rest stays as it was
        expected[c.at] = c.mended;
        repairShifts(codes);
        EXPECT_EQ(codes, expected);
    }
}

// A code one unsure element from the shift that changes the case is read as that shift
// only where the word after it shows it: "TOO", "PX" and "T" read in figures as "599",
// "0/" and "5" (":1" and "599(" would not), an "AW" read in figures holds a "-". A word
// ends at a space, a shift or the eighth held character.
TEST(ShiftDoubt, AShiftIsReadBackOnlyWhereTheWordShowsIt) {
    const auto word = [](std::uint8_t first, std::string_view letters) {
        std::vector<std::uint8_t> codes{first};
        for (char c : letters)
            codes.push_back(~encodeBaudot(static_cast<std::uint8_t>(c)) & kBaudotDataBits);
        return codes;
    };
    const std::uint8_t g = 26, q = 23;
    for (const auto& w : {word(kLtrsCode, "TOO A"), word(g, "PX"), word(g, "T ")})
        EXPECT_TRUE(ShiftDoubt::shiftReadsBetter(w, kFigsCode)) << testing::PrintToString(w);
    for (const auto& w : {word(kLtrsCode, "CQ"), word(g, "TOOK"), word(g, " OO")})
        EXPECT_FALSE(ShiftDoubt::shiftReadsBetter(w, kFigsCode)) << testing::PrintToString(w);
    EXPECT_TRUE(ShiftDoubt::shiftReadsBetter(word(q, "AW"), kLtrsCode));
    EXPECT_FALSE(ShiftDoubt::shiftReadsBetter(word(kFigsCode, "OO A"), kLtrsCode));

    const std::array<double, 5> values{-0.5, 4.0, 1.0, -3.0, 2.0};
    const auto lost = [&](std::uint8_t code, int shift) {
        const auto l = ShiftDoubt::lostShift(code, values, shift);
        return l ? l->shift * 100 + l->sureness : -1.0;
    };
    EXPECT_EQ(lost(g, kLettersShift), kFigsCode * 100 + 0.5);
    EXPECT_EQ(lost(kLtrsCode, kLettersShift), kFigsCode * 100 + 1.0);
    EXPECT_EQ(lost(16, kLettersShift), -1.0);
    EXPECT_EQ(lost(q, kFiguresShift), kLtrsCode * 100 + 3.0);
    EXPECT_EQ(lost(kFigsCode, kFiguresShift), kLtrsCode * 100 + 1.0);
    EXPECT_EQ(lost(g, kFiguresShift), -1.0);

    ShiftDoubt doubt;
    const auto resolved = [&doubt] {
        std::vector<std::uint8_t> codes;
        for (const ShiftDoubt::Held& h : doubt.resolve()) codes.push_back(h.code);
        return codes;
    };
    doubt.begin({g}, kFigsCode);
    const auto too = word(kFigsCode, "TOO ");
    for (std::size_t k = 1; k < too.size(); ++k) EXPECT_EQ(doubt.add({too[k]}), k == 4);
    EXPECT_EQ(resolved(), too);
    EXPECT_FALSE(doubt.holding());
    doubt.begin({g}, kFigsCode);
    for (int k = 1; k < ShiftDoubt::kMaxHeld; ++k) EXPECT_EQ(doubt.add({3}), k == 7);
    EXPECT_EQ(resolved(), word(g, "AAAAAAA"));
}

struct BaudotDecoderTest : ::testing::Test {
    ModemState state;
    BaudotDecoderTest() { state.Contest = 0; }
};

// Encode then decode: every character the transmitter has a code for comes back, after
// the shift the transmitter would send before it (a decoder starts in letters). Three
// share a code with what the receiver shows for it.
TEST_F(BaudotDecoderTest, EveryCharacterTheTransmitterSendsDecodesBack) {
    for (int c = 0; c < 128; ++c) {
        const BaudotCode b = encodeBaudot(static_cast<std::uint8_t>(c));
        if (b == kNoBaudotCode || (c >= 'a' && c <= 'z')) continue;
        BaudotDecoder decoder(state);
        if (b & kFiguresCase) {
            EXPECT_EQ(decoder.baudotDecode(kFigsCode), 0);
        }
        const char16_t shown = c == '\r' ? u'\n' : c == '"' ? u' ' : c == '=' ? u';' : c;
        EXPECT_EQ(decoder.baudotDecode(~b & kBaudotDataBits), shown) << "character " << c;
    }
}

TEST_F(BaudotDecoderTest, ContestFiguresCodes15And30AreALostLtrs) {
    state.Contest = 1;
    for (int code : {15, 30}) {
        BaudotDecoder decoder(state);
        decoder.baudotDecode(kFigsCode);
        EXPECT_EQ(decoder.baudotDecode(code), 0);
        EXPECT_EQ(decoder.shift, 0);
        EXPECT_EQ(decoder.baudotDecode(1), u'E');
    }
}

// A null code unshifts like a space while nulls are few: three from a fresh decoder,
// seven after long text. The next one prints the space of the current case and keeps it.
TEST_F(BaudotDecoderTest, NullCodesAreSpacesUntilTheyRunLong) {
    for (const int letters : {0, 40}) {
        SCOPED_TRACE(letters);
        BaudotDecoder decoder(state);
        for (int k = 0; k < letters; ++k) decoder.baudotDecode(1);
        for (int k = 0; k < (letters ? 7 : 3); ++k) {
            decoder.shift = 32;
            EXPECT_EQ(decoder.baudotDecode(0), u' ');
            EXPECT_EQ(decoder.shift, 0) << "null " << k + 1;
        }
        decoder.shift = 32;
        EXPECT_EQ(decoder.baudotDecode(0), u' ');
        EXPECT_EQ(decoder.shift, 32);
        EXPECT_EQ(decoder.baudotDecode(1), u'3');
    }
}

// A repeat spelled for printing counts nulls the same way: two spaces from a fresh count,
// six after long text, then nothing.
TEST(RepeatDisplay, NullCodesAreSpacesUntilTheyRunLong) {
    RepeatDisplay display;
    const auto nulls = [&display](int n) {
        std::string shown;
        for (int k = 0; k < n; ++k) shown += display.displayDecode(0) == u' ' ? '_' : '.';
        return shown;
    };
    EXPECT_EQ(nulls(3), "__.");
    for (int k = 0; k < 40; ++k) display.displayDecode(1);
    EXPECT_EQ(nulls(7), "______.");
    // In figures, 15 and 30 are a damaged LTRS, as in the receive decoder.
    for (const std::uint8_t code : {15, 30}) {
        display.displayDecode(kFigsCode);
        EXPECT_EQ(display.displayDecode(code), kLtrsMarker);
        EXPECT_EQ(display.displayDecode(1), u'E');
    }
}

// In a contest word filter a 9 straight after a contest word is a question mark (a space
// clears the word, and so does the 9); only the last nine letters are kept, and lower case
// and digits are not letters of a word. A slash after three digits is a dot; the question
// mark that replaced a 9 is not a digit.
TEST(ContestWordFilter, NinesAndSlashesAsTheLoggerWantsThem) {
    const std::pair<std::u16string, std::u16string> cases[] = {{u"AGN 9", u"AGN 9"},
                                                               {u"NAMES9", u"NAMES9"},
                                                               {u"9", u"9"},
                                                               {u"NR99", u"NR?9"},
                                                               {u"ABCDEFGNR9", u"ABCDEFGNR9"},
                                                               {u"XXPROVINCE9", u"XXPROVINCE9"},
                                                               {u"1NR9", u"1NR?"},
                                                               {u"nNR9", u"nNR?"},
                                                               {u"5A99/", u"5A99/"},
                                                               {u"AGN912/", u"AGN?12/"},
                                                               {u"912/", u"912."}};
    for (const auto& [in, expected] : cases) {
        ContestWordFilter filter;
        std::u16string out;
        for (char16_t c : in) out += filter.contestWordFilter(c);
        EXPECT_EQ(out, expected) << std::string(in.begin(), in.end());
    }
}

// The receive thread and the WAV player emit at once: each character in turn (the
// thread sanitizer sees two inside at once).
TEST(ReceivedCharEmitter, TakesTwoThreadsInTurn) {
    ModemState state;
    RecordingLogger logger;
    ReceivedCharEmitter emitter{state, logger};
    std::thread player([&] {
        for (int k = 0; k < 500; ++k) emitter.emitReceivedChar(u'B');
    });
    for (int k = 0; k < 500; ++k) emitter.emitReceivedChar(u'A');
    player.join();
    EXPECT_EQ(logger.textOf(TXM_CHAR).size(), 1000u);  // nothing lost
}

// The squelch's hold at a signal's edges, by the characters' own S/N (dB): on opening the
// newest run from one at runFrom (2.5) on through ones at runWithin (1.2), all of it
// when it opens again soon after closing; a doubtful character on a strong signal shown
// by the next one heard, dropped by the closing.
TEST(SquelchHold, ShowsTheSignalsEdgesNotTheNoiseBesideThem) {
    ModemState state;
    state.Contest = 0;
    RecordingLogger logger;
    ReceivedCharEmitter emitter{state, logger};
    SquelchHold hold(emitter, {2.5, 1.2, 5.0, 8.0, 8.0});
    auto held = [&](std::string_view text, std::initializer_list<double> levels) {
        auto level = levels.begin();
        for (char c : text) {
            hold.hold(static_cast<char16_t>(c));
            hold.heldLevel(*level++);
        }
    };
    held("XYABC", {9.0, -1.0, 3.0, 1.5, 2.0});  // noise, then a weak call
    hold.open();
    EXPECT_EQ(logger.textOf(TXM_CHAR), "ABC");
    held("DE", {-3.0, -3.0});  // a dip: all of it is the signal's
    hold.open();
    EXPECT_EQ(logger.textOf(TXM_CHAR), "ABCDE");
    EXPECT_TRUE(hold.judge(u'F', 12.0, 20.0));
    EXPECT_FALSE(hold.judge(u'G', 4.0, 20.0));  // 5 dB under the figure, under 8 dB
    EXPECT_FALSE(hold.judge(u'H', 6.0, 8.5));   // judged by the figure before G
    EXPECT_TRUE(hold.judge(u'I', 16.0, 10.0));  // a fade: G and H come first
    EXPECT_TRUE(hold.judge(u'J', -9.0, 7.0));   // a weak signal's character is never doubted
    EXPECT_TRUE(hold.judge(u'j', 5.0, 9.0));    // 4 dB under a figure of 9: within its 5
    EXPECT_EQ(logger.textOf(TXM_CHAR), "ABCDEGH");
    EXPECT_FALSE(hold.judge(u'K', 0.0, 20.0));
    hold.hold(0);  // the squelch closes: K was the noise after the signal
    EXPECT_TRUE(hold.judge(u'L', 20.0, 20.0));
    EXPECT_EQ(logger.textOf(TXM_CHAR), "ABCDEGH");
    // More doubtful than the hold keeps: the oldest is shown where it was heard at a
    // signal's level (a long fade), and dropped where not (the noise after the signal).
    // A shift (0) among them takes no place.
    EXPECT_FALSE(hold.judge(u'M', 2.0, 20.0));
    for (char c : std::string_view("NOPQRS\0TU", 9)) EXPECT_FALSE(hold.judge(c, 0.0, 20.0));
    EXPECT_TRUE(hold.judge(u'V', 20.0, 20.0));
    EXPECT_EQ(logger.textOf(TXM_CHAR), "ABCDEGHMOPQRSTU");
}

}  // namespace
}  // namespace kestrel
