#include "decode/baudot_decoder.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrel {
namespace {

// Expected prints per code; '~' marks a code that prints nothing.
constexpr char16_t kLettersCase[] = u" E\nA SIU\nDRJNFCKTZLWHYPQOBG~MXV~";
constexpr char16_t kFiguresNormal[] = u" 3\n-  87\n$4',!:(5+)2#6019?&~./;~";
constexpr char16_t kFiguresContest[] = u" 3\n-  87\n344 /:(5+)2#601994~//;~";

char16_t expected(const char16_t* row, int code) {
    return row[code] == u'~' ? 0 : row[code];
}

struct BaudotDecoderTest : ::testing::Test {
    ModemState state;
    BaudotDecoderTest() { state.Contest = 0; }
};

TEST_F(BaudotDecoderTest, LettersCaseAtEveryCode) {
    for (int contest = 0; contest <= 1; ++contest) {
        state.Contest = contest;
        for (int code = 0; code < 32; ++code) {
            BaudotDecoder decoder(state);
            EXPECT_EQ(decoder.baudotDecode(code), expected(kLettersCase, code))
                << "code " << code << " contest " << contest;
        }
    }
}

TEST_F(BaudotDecoderTest, FiguresCaseAtEveryCodeInBothSets) {
    const struct {
        int contest;
        const char16_t* row;
    } sets[] = {{0, kFiguresNormal}, {1, kFiguresContest}};
    for (const auto& set : sets) {
        state.Contest = set.contest;
        for (int code = 0; code < 32; ++code) {
            if (set.contest == 1 && (code == 15 || code == 30)) continue;  // see below
            BaudotDecoder decoder(state);
            EXPECT_EQ(decoder.baudotDecode(kFigsCode), 0);
            EXPECT_EQ(decoder.baudotDecode(code), expected(set.row, code))
                << "code " << code << " contest " << set.contest;
        }
    }
}

TEST_F(BaudotDecoderTest, SpaceReturnsToLettersAndShiftsPrintNothing) {
    BaudotDecoder decoder(state);
    std::u16string out;
    for (int code : {27, 1, 1, 4, 1, 27, 1, 31, 0xE0 | 1}) {  // only the low five bits count
        if (char16_t c = decoder.baudotDecode(code)) out += c;
    }
    EXPECT_EQ(out, u"33 E3E");
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
    // Outside contest mode they print their figures.
    state.Contest = 0;
    BaudotDecoder decoder(state);
    decoder.baudotDecode(kFigsCode);
    EXPECT_EQ(decoder.baudotDecode(15), u'(');
    EXPECT_EQ(decoder.baudotDecode(30), u';');
}

TEST_F(BaudotDecoderTest, FirstThreeNullCodesAreSpacesThenTheCaseSpace) {
    BaudotDecoder decoder(state);
    // Three nulls from a fresh decoder unshift like spaces.
    for (int k = 0; k < 3; ++k) {
        decoder.shift = 32;
        EXPECT_EQ(decoder.baudotDecode(0), u' ');
        EXPECT_EQ(decoder.shift, 0) << "null " << k + 1;
    }
    EXPECT_EQ(decoder.nullRun, 9);
    // The fourth prints the space of the current case and keeps the case.
    decoder.shift = 32;
    EXPECT_EQ(decoder.baudotDecode(0), u' ');
    EXPECT_EQ(decoder.shift, 32);
    EXPECT_EQ(decoder.baudotDecode(1), u'3');
}

TEST_F(BaudotDecoderTest, AfterLongTextSevenNullsAreSpaces) {
    BaudotDecoder decoder(state);
    for (int k = 0; k < 40; ++k) decoder.baudotDecode(1);
    EXPECT_EQ(decoder.nullRun, -10);
    for (int k = 0; k < 7; ++k) {
        decoder.shift = 32;
        decoder.baudotDecode(0);
        EXPECT_EQ(decoder.shift, 0) << "null " << k + 1;
    }
    decoder.shift = 32;
    decoder.baudotDecode(0);
    EXPECT_EQ(decoder.shift, 32);
}

}  // namespace
}  // namespace kestrel
