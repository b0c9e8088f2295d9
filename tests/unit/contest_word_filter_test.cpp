#include "decode/contest_word_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace kestrel {
namespace {

std::u16string filtered(std::u16string_view text) {
    ContestWordFilter filter;
    std::u16string out;
    for (char16_t c : text) out += filter.contestWordFilter(c);
    return out;
}

TEST(ContestWordFilter, NineStraightAfterAContestWordIsAQuestionMark) {
    EXPECT_EQ(filtered(u"AGN9"), u"AGN?");
    EXPECT_EQ(filtered(u"AGN 9"), u"AGN 9");  // the space cleared the word
    EXPECT_EQ(filtered(u"NAMES9"), u"NAMES9");
    EXPECT_EQ(filtered(u"QRQ9"), u"QRQ9");
    EXPECT_EQ(filtered(u"9"), u"9");
    // The word is gone after the 9 either way.
    EXPECT_EQ(filtered(u"NR99"), u"NR?9");
}

TEST(ContestWordFilter, OnlyTheLastNineLettersAreKept) {
    // Nine letters ending in a word: the buffer is full and holds more than the word.
    EXPECT_EQ(filtered(u"ABCDEFGNR9"), u"ABCDEFGNR9");
    // A tenth letter pushed out the oldest: what is left is still not a list word.
    EXPECT_EQ(filtered(u"XXPROVINCE9"), u"XXPROVINCE9");
    // Lower case and digits are not letters of a word.
    EXPECT_EQ(filtered(u"1NR9"), u"1NR?");
    EXPECT_EQ(filtered(u"nNR9"), u"nNR?");
}

TEST(ContestWordFilter, SlashAfterThreeDigitsIsADot) {
    EXPECT_EQ(filtered(u"599/"), u"599.");
    EXPECT_EQ(filtered(u"59/"), u"59/");
    EXPECT_EQ(filtered(u"5A99/"), u"5A99/");
    // The question mark that replaced a 9 is not a digit.
    EXPECT_EQ(filtered(u"AGN912/"), u"AGN?12/");
    EXPECT_EQ(filtered(u"912/"), u"912.");
}

}  // namespace
}  // namespace kestrel
