#include "decode/repeat_match.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "decode/framing.h"
#include "fakes/fake_logger_port.h"
#include "fakes/fake_text_sink_port.h"
#include "fakes/fake_ui_port.h"
#include "unit/framing_rig.h"
#include "unit/keyed_envelope.h"

namespace kestrel {
namespace {

using test::ita2Codes;
constexpr std::uint32_t kTxmChar = 32771;

// Repeat Match fed the way the framing feeds it, with soft values made up per bit.
struct RepeatMatchTest : ::testing::Test {
    ModemState state;
    RecordingLogger logger;
    FakeTextSinkPort textFile;
    ReceivedCharEmitter emitter{state, logger};
    std::int32_t signalPresent = 1;
    RepeatMatch match{state, emitter, textFile};
    std::uint64_t seed = 99;

    RepeatMatchTest() { state.Contest = 0; }

    void feed(int code, const BitValues& mark, const BitValues& space, double threshold = 0.5,
              double floor = 0.05) {
        for (int j = 0; j < 5; ++j) {
            match.repeatMatchFeed(kRepeatMark, j, mark[j], threshold, floor);
            match.repeatMatchFeed(kRepeatSpace, j, space[j], threshold, floor);
        }
        match.repeatMatchCharacter(code, signalPresent != 0);
    }

    // A sent code whose bits in `damaged` were received wrong, each of them only weakly;
    // the other bits are clear, with a little ripple.
    void send(int sent, int damaged = 0) {
        BitValues mark{};
        BitValues space{};
        for (int j = 0; j < 5; ++j) {
            const double sign = ((sent >> j) & 1) != 0 ? 1.0 : -1.0;
            mark[j] = (damaged >> j) & 1 ? -0.1 * sign : sign * (0.5 + ripple());
            space[j] = -mark[j];
        }
        feed(sent ^ damaged, mark, space);
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
    std::string printed() const { return logger.textOf(kTxmChar); }
};

// " K1ABC K1ABC " is space, K, FIGS, 1, LTRS, A, B, C, space, ...: the A of the first
// copy is code 5, that of the second code 13.
TEST_F(RepeatMatchTest, ACharacterLostInOneCopyIsTakenFromTheOther) {
    sendText(" K1ABC K1ABC ", {{5, 0b11111}});  // the first A read as M
    EXPECT_EQ(printed(), " { K1ABC } ");
    EXPECT_EQ(match.bestLength, 8);
}

TEST_F(RepeatMatchTest, ACodeNeitherCopyHadPrintsInLowerCase) {
    sendText(" K1ABC K1ABC ", {{5, 0b00100}, {13, 0b01000}});  // read as U and as J
    EXPECT_EQ(printed(), " { K1aBC } ");
}

// Also when the second copy ends the line: a line break is no difference in the word.
TEST_F(RepeatMatchTest, IdenticalCopiesPrintOnlyWithSameRejectOff) {
    sendText(" 014 014 ");
    sendText(" 599 273 273\r\n");
    EXPECT_EQ(printed(), "");
    state.CorrelateStateSame = 0;
    sendText("TEST TEST ");
    EXPECT_EQ(printed(), " { TEST } ");
}

// " 014 014 " repeats every five records; the corrected copy spans six, space to space.
TEST_F(RepeatMatchTest, ARepeatIsFoundAndCorrectedAtTheSameLength) {
    state.CorrelateStateSame = 0;
    sendText(" 014 014 ");
    EXPECT_EQ(match.bestLength, 5);
    const std::vector<std::uint8_t> corrected(match.sequence.begin(),
                                              match.sequence.begin() + match.sequenceLength);
    EXPECT_EQ(corrected, (std::vector<std::uint8_t>{4, 27, 22, 23, 10, 4}));
    EXPECT_EQ(printed(), " { 014 } ");
}

TEST_F(RepeatMatchTest, RepeatsOfThreeAndTwentyCharactersAreFound) {
    state.CorrelateStateSame = 0;
    sendText(" TU TU ");
    EXPECT_EQ(match.bestLength, 3);
    sendText("QUICKBROWNFOXJUMPED QUICKBROWNFOXJUMPED ");
    EXPECT_EQ(match.bestLength, 20);
    EXPECT_EQ(printed(), " { TU } { QUICKBROWNFOXJUMPED } ");
    sendText("QUICKBROWNFOXJUMPEDS QUICKBROWNFOXJUMPEDS ");
    EXPECT_EQ(printed(), " { TU } { QUICKBROWNFOXJUMPED } ");
}

TEST_F(RepeatMatchTest, TwoWordsAndZeroCodesNeverPrint) {
    state.CorrelateStateSame = 0;
    sendText(" 599 14 599 14 ");
    sendText(" 5NN TU 5NN TU ");
    // All-zero codes with soft values repeating every three characters: the display
    // shows two spaces and then nothing.
    for (int k = 0; k < 12; ++k) send(0, k % 3 == 0 ? 0b10101 : 0b01010);
    EXPECT_EQ(printed(), "");
}

TEST_F(RepeatMatchTest, TheSameWordWithinItsHoldOffIsNotPrintedAgain) {
    state.CorrelateStateSame = 0;
    sendText(" 014 014 ");
    EXPECT_EQ(match.holdOff, 6);  // ">014" and 2
    sendText("014 ");             // five matched characters leave 1
    EXPECT_EQ(match.holdOff, 1);
    EXPECT_EQ(printed(), " { 014 } ");
    // A repeat of two words counts the hold-off down without printing.
    sendText("5NN TU 5NN TU ");
    EXPECT_EQ(match.holdOff, 0);
    sendText("014 014 ");
    EXPECT_EQ(printed(), " { 014 } { 014 } ");
}

TEST_F(RepeatMatchTest, NothingPrintsWhileSquelched) {
    state.CorrelateStateSame = 0;
    state.SquelchState = 1;
    signalPresent = 0;
    sendText(" 014 014 ");
    EXPECT_EQ(printed(), "");
    signalPresent = 1;
    sendText("TEST TEST ");
    EXPECT_EQ(printed(), " { TEST } ");
}

TEST_F(RepeatMatchTest, SwitchedOffNothingIsStoredAndTheOldRecordsStay) {
    state.CorrelateStateSame = 0;
    sendText(" 014 ");
    state.CorrelateState = 0;
    sendText("XYZ QRM ");
    EXPECT_EQ(match.current, 6);
    state.CorrelateState = 1;
    sendText("014 ");
    EXPECT_EQ(printed(), " { 014 } ");
}

TEST_F(RepeatMatchTest, SaveTextGetsTheWordWithoutShiftMarkers) {
    state.CorrelateStateSame = 0;
    state.saveTextActive = 1;
    sendText(" 5NN 5NN ");
    EXPECT_EQ(textFile.written, " {5NN} ");
    EXPECT_EQ(printed(), " { 5NN } ");
}

// Integer soft values whose best correlation at the last character is 57/100 at length
// 5, and below 0.5 at every other length and every earlier character.
constexpr std::array<BitValues, 11> kExactRecords{{{-2, -2, -2, 0, -3},
                                                   {-3, 1, 2, 2, -2},
                                                   {1, 2, -2, -2, -1},
                                                   {0, -3, 3, 2, 3},
                                                   {1, -1, 0, -2, 2},
                                                   {0, 2, -3, -3, 1},
                                                   {0, 1, 2, 2, -2},
                                                   {-3, -2, -3, -2, -1},
                                                   {-3, -2, 3, 2, 3},
                                                   {1, -1, 0, 2, 2},
                                                   {1, 2, 1, -3, 0}}};

TEST_F(RepeatMatchTest, AScoreOfExactly057IsARepeatAnd056IsNot) {
    state.CorrelateStateSame = 0;
    const std::vector<int> codes = ita2Codes(" TEST TEST ");
    auto feedAll = [&](RepeatMatch& m, const std::array<BitValues, 11>& values) {
        for (int k = 0; k < 11; ++k) {
            for (int j = 0; j < 5; ++j) {
                m.repeatMatchFeed(kRepeatMark, j, values[k][j], 1.0, 1.0);
                m.repeatMatchFeed(kRepeatSpace, j, -values[k][j], 1.0, 1.0);
            }
            m.repeatMatchCharacter(codes[k], signalPresent != 0);
        }
    };
    feedAll(match, kExactRecords);
    EXPECT_EQ(match.bestLength, 5);
    EXPECT_EQ(match.bestScore, 0.57);
    EXPECT_EQ(printed(), " { TEST } ");

    auto lower = kExactRecords;
    std::swap(lower[5][1], lower[4][0]);  // one product fewer in common
    RepeatMatch fresh{state, emitter, textFile};
    feedAll(fresh, lower);
    EXPECT_EQ(fresh.bestScore, 0.56);
    EXPECT_EQ(printed(), " { TEST } ");
}

// The real framing in front, fed decided samples of a keyed signal the way a decoder
// feeds them, with mark and space thresholds at half the keyed level.
struct FramedRig : KeyedFramingRig {
    RepeatMatch match{state, emitter, textFile};

    FramedRig() {
        state.Contest = 0;
        state.Decodemode = 0;
        framing.repeatMatch = &match;
        frame.markThreshold.fill(0.5);
        frame.spaceThreshold.fill(0.5);
    }
};

// A character whose every data bit a burst turned over, leaving each a little on the
// wrong side of the thresholds.
void overturnedCharacter(test::KeyedEnvelope& e, int code) {
    e.element(false, test::kBit);
    for (int n = 0; n < 5; ++n) {
        const bool mark = ((code >> n) & 1) != 0;
        e.mark.insert(e.mark.end(), test::kBit, mark ? 0.4 : 0.6);
        e.space.insert(e.space.end(), test::kBit, mark ? 0.6 : 0.4);
    }
    e.element(true, test::kStop);
}

TEST(RepeatMatchBehindFraming, AnExchangeWithOneCharacterLostPrintsCorrected) {
    auto rig = std::make_unique<FramedRig>();
    test::KeyedEnvelope e;
    e.idle(300);
    e.text(" K1");
    e.character(test::kLtrsCode);
    overturnedCharacter(e, 3);  // A, read as M
    e.text("BC K1ABC ");
    e.idle(300);
    rig->run(e);
    EXPECT_EQ(rig->logger.textOf(kTxmChar), " K1MBC K1ABC { K1ABC } ");
}

// Shift codes the corrected copy has too many of are mended where they are most likely
// damaged: an LTRS before a digit, a second FIGS, or a shift hit by one bit.
TEST(RepeatShifts, SurplusShiftsAreMendedWhereTheyAreMostLikelyDamaged) {
    struct Case {
        std::vector<std::uint8_t> codes;
        std::size_t at;
        std::uint8_t mended;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        std::vector<std::uint8_t> codes = c.codes;
        std::vector<std::uint8_t> expected = c.codes;  // the rest stays as it was
        expected[c.at] = c.mended;
        repairShifts(codes);
        EXPECT_EQ(codes, expected);
    }
}

}  // namespace
}  // namespace kestrel
