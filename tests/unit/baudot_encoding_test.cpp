#include "transmit/baudot_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrel {
namespace {

// ITA2 letters as element patterns in sending order (M mark, S space), written out
// independently of the code form so a slip in either shows up.
struct LetterPattern {
    char letter;
    const char* elements;
};
constexpr LetterPattern kIta2Letters[] = {
    {'A', "MMSSS"}, {'B', "MSSMM"}, {'C', "SMMMS"}, {'D', "MSSMS"}, {'E', "MSSSS"}, {'F', "MSMMS"},
    {'G', "SMSMM"}, {'H', "SSMSM"}, {'I', "SMMSS"}, {'J', "MMSMS"}, {'K', "MMMMS"}, {'L', "SMSSM"},
    {'M', "SSMMM"}, {'N', "SSMMS"}, {'O', "SSSMM"}, {'P', "SMMSM"}, {'Q', "MMMSM"}, {'R', "SMSMS"},
    {'S', "MSMSS"}, {'T', "SSSSM"}, {'U', "MMMSS"}, {'V', "SMMMM"}, {'W', "MMSSM"}, {'X', "MSMMM"},
    {'Y', "MSMSM"}, {'Z', "MSSSM"},
};

BaudotCode fromElements(const char* elements) {
    BaudotCode code = 0;
    for (int bit = 0; bit < 5; ++bit)
        if (elements[bit] == 'S') code |= static_cast<BaudotCode>(1 << bit);
    return code;
}

TEST(BaudotEncoding, LettersHaveTheirIta2PatternsWithSpaceAsOne) {
    for (const auto& l : kIta2Letters) {
        SCOPED_TRACE(std::string(1, l.letter));
        EXPECT_EQ(encodeBaudot(l.letter), fromElements(l.elements));
        EXPECT_EQ(encodeBaudot(l.letter + 0x20), fromElements(l.elements));
    }
}

TEST(BaudotEncoding, FiguresShareTheirKeysPatternAndCarryTheCaseFlag) {
    const std::string figures = "1234567890!\"#$&'()+,-./:=?";
    const std::string keys = "QWERTYUIOPFSHDGJKLZNAMXCVB";
    for (std::size_t i = 0; i < figures.size(); ++i) {
        SCOPED_TRACE(std::string(1, figures[i]));
        EXPECT_EQ(encodeBaudot(figures[i]), kFiguresCase | encodeBaudot(keys[i]));
    }
}

TEST(BaudotEncoding, FixedCodesAndCharactersWithoutCode) {
    EXPECT_EQ(encodeBaudot('\r'), 0x17);
    EXPECT_EQ(encodeBaudot('\n'), 0x1D);
    EXPECT_EQ(encodeBaudot(' '), 0x1B);
    for (char c : std::string("%*;<>@[\\]^_`{|}~\t"))
        EXPECT_EQ(encodeBaudot(static_cast<std::uint8_t>(c)), kNoBaudotCode) << int(c);
    EXPECT_EQ(encodeBaudot(0), kNoBaudotCode);
    EXPECT_EQ(encodeBaudot(0x7F), kNoBaudotCode);
    EXPECT_EQ(encodeBaudot(0xC1), kNoBaudotCode);  // not folded like a letter
}

TEST(BaudotEncoding, NoTwoCharactersOfOneCaseShareACode) {
    int letters[32] = {}, figures[32] = {}, none = 0;
    for (BaudotCode code : baudotTable) {
        if (code == kNoBaudotCode)
            ++none;
        else if (code & kFiguresCase)
            ++figures[code & kBaudotDataBits];
        else
            ++letters[code];
    }
    EXPECT_EQ(none, 11);
    for (int c = 0; c < 32; ++c) {
        EXPECT_LE(letters[c], 1) << c;
        EXPECT_LE(figures[c], 1) << c;
    }
}

}  // namespace
}  // namespace kestrel
