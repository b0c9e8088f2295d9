#include "decode/baudot_decoder.h"

namespace kestrel {
namespace {

constexpr char16_t kNone = 64;  // prints nothing

// Letters case (0..31) then figures case (32..63). '@' is the marker that prints
// nothing (FIGS and LTRS); codes 2 and 8 are newline.
constexpr char kNormalSet[] =
    " E\nA SIU\nDRJNFCKTZLWHYPQOBG@MXV@"
    " 3\n-  87\n$4',!:(5+)2#6019?&@./;@";
constexpr char kContestSet[] =
    " E\nA SIU\nDRJNFCKTZLWHYPQOBG@MXV@"
    " 3\n-  87\n344 /:(5+)2#601994@//;@";

static_assert(sizeof(kNormalSet) == 65 && sizeof(kContestSet) == 65);

}  // namespace

char16_t BaudotDecoder::baudotDecode(std::uint8_t code) {
    int c = code & 31;
    const bool allZero = c == 0;
    // A few all-zero codes read as spaces; a long run of them prints in the current case.
    if (allZero && nullRun < 9) c = kSpaceCode;
    if (allZero) {
        nullRun += 3;
    } else if (nullRun >= -9) {
        nullRun -= 1;
    }

    const bool contest = state_.Contest.load(std::memory_order_relaxed) == 1;
    if (contest && shift == kFiguresShift && (c == 15 || c == 30)) {
        // In a contest exchange these figures-case codes are taken as a lost LTRS.
        shift = kLettersShift;
        c = kLtrsCode;
    } else if (c == kSpaceCode || c == kLtrsCode) {
        shift = kLettersShift;  // unshift on space
    } else if (c == kFigsCode) {
        shift = kFiguresShift;
    } else {
        c += shift;
    }

    const char ch = contest ? kContestSet[c] : kNormalSet[c];
    return ch == kNone ? 0 : static_cast<char16_t>(ch);
}

}  // namespace kestrel
