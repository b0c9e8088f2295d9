#include "decode/contest_word_filter.h"

#include <algorithm>
#include <string_view>

namespace kestrel {
namespace {

constexpr int kLetterSlots = 9;

constexpr std::u16string_view kContestWords[] = {
    u"AGE", u"AGN",   u"AGAIN",    u"CALL", u"CL",   u"COPY", u"COUNTY", u"CTY",
    u"HW",  u"HOW",   u"LOC",      u"NME",  u"NAME", u"NBR",  u"NR",     u"NUMBER",
    u"PWR", u"POWER", u"PROVINCE", u"QRA",  u"QRZ",  u"QSL",  u"QRL",    u"QTH",
    u"RPT", u"SEC",   u"STATE",    u"ST",   u"TIME", u"ZN",   u"ZONE",
};
static_assert(std::size(kContestWords) == 31);

bool isDigit(char16_t ch) {
    return ch >= u'0' && ch <= u'9';
}

}  // namespace

bool ContestWordFilter::bufferHoldsContestWord() const {
    int first = 0;
    while (first < kLetterSlots && wordBuffer[first] == 0) ++first;
    const std::u16string_view word(wordBuffer.data() + first, kLetterSlots - first);
    return std::find(std::begin(kContestWords), std::end(kContestWords), word) !=
           std::end(kContestWords);
}

char16_t ContestWordFilter::contestWordFilter(char16_t ch) {
    char16_t result = ch;
    if (ch >= u'A' && ch <= u'Z') {
        std::copy(wordBuffer.begin() + 1, wordBuffer.begin() + kLetterSlots, wordBuffer.begin());
        wordBuffer[kLetterSlots - 1] = ch;
    } else {
        if (ch == u'9' && bufferHoldsContestWord()) result = u'?';
        wordBuffer.fill(0);
    }
    if (result == u'/' && digitRun >= 3) result = u'.';
    digitRun = isDigit(result) ? digitRun + 1 : 0;
    return result;
}

}  // namespace kestrel
