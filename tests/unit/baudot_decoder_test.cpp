#include "decode/baudot_decoder.h"

#include <gtest/gtest.h>

#include <string>

#include "transmit/baudot_encoding.h"

namespace kestrel {
namespace {

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
