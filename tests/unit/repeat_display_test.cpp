#include "decode/repeat_display.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrel {
namespace {

std::string spell(RepeatDisplay& d, const std::vector<int>& codes) {
    std::string out;
    for (int c : codes) {
        const char16_t ch = d.displayDecode(static_cast<std::uint8_t>(c));
        if (ch != 0) out += static_cast<char>(ch);
    }
    return out;
}

TEST(RepeatDisplay, LettersShowLineEndsAsSpacesAndShiftsAsMarkers) {
    RepeatDisplay d;
    EXPECT_EQ(spell(d, {1, 2, 3, 8, 25, 31, 27}), "E A B<>");
    EXPECT_TRUE(d.figures);
}

TEST(RepeatDisplay, FiguresCaseTable) {
    RepeatDisplay d;
    std::string figures;
    for (int c = 0; c < 32; ++c) {
        if (c == 4 || c == 15 || c == 30 || c == 31) continue;  // these leave figures case
        d.figures = true;
        d.zeroCount = 0;
        figures += static_cast<char>(d.displayDecode(static_cast<std::uint8_t>(c)));
    }
    EXPECT_EQ(figures, " 3 - 87 344 /~5~~2 601994>//");
}

TEST(RepeatDisplay, SpaceLtrsAndADamagedLtrsReturnToLetters) {
    for (int code : {4, 15, 30, 31}) {
        RepeatDisplay d;
        d.figures = true;
        const char16_t shown = d.displayDecode(static_cast<std::uint8_t>(code));
        EXPECT_EQ(shown, code == 4 ? u' ' : kLtrsMarker) << code;
        EXPECT_EQ(d.displayDecode(1), u'E') << code;
    }
}

TEST(RepeatDisplay, FiguresDigitsAreTheCodesThatShowADigit) {
    std::vector<int> digits;
    for (int c = 0; c < 32; ++c) {
        if (hasFiguresDigit(static_cast<std::uint8_t>(c))) digits.push_back(c);
    }
    EXPECT_EQ(digits, (std::vector<int>{1, 6, 7, 9, 10, 11, 16, 19, 21, 22, 23, 24, 25, 26}));
}

TEST(RepeatDisplay, ZeroCodesShowSpacesOnlyWhileTheirCountIsBelowTen) {
    RepeatDisplay d;
    EXPECT_EQ(spell(d, {0, 0, 0}), "  ");
    spell(d, std::vector<int>(10, 0));
    EXPECT_EQ(d.zeroCount, 40);  // it rises no further
    spell(d, std::vector<int>(30, 1));
    EXPECT_EQ(spell(d, {0}), "");  // 10
    d.zeroCount = 40;
    spell(d, std::vector<int>(31, 1));
    EXPECT_EQ(spell(d, {0}), " ");  // 9
    spell(d, std::vector<int>(100, 1));
    EXPECT_EQ(d.zeroCount, -20);  // it falls no further
}

}  // namespace
}  // namespace kestrel
