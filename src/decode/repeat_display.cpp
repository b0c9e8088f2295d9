#include "decode/repeat_display.h"

#include "decode/baudot_decoder.h"

namespace kestrel {
namespace {

// Carriage return and line feed show as spaces, FIGS as ">" and LTRS as "<"; "~" marks a
// figures-case code that no contest exchange uses.
constexpr char kLetters[] = " E A SIU DRJNFCKTZLWHYPQOBG>MXV<";
constexpr char kFigures[] = " 3 -  87 344 /~<5~~2 601994>//;<";
static_assert(sizeof(kLetters) == 33 && sizeof(kFigures) == 33);

constexpr int kZeroPrintsBelow = 10;
constexpr int kZeroStep = 5;
constexpr int kZeroRiseBelow = 40;
constexpr int kZeroFallFrom = -19;

}  // namespace

bool hasFiguresDigit(std::uint8_t code) {
    const char c = kFigures[code & 31];
    return c >= '0' && c <= '9';
}

char16_t RepeatDisplay::displayDecode(std::uint8_t code) {
    int c = code & 31;
    if (c == 0) {
        const bool asSpace = zeroCount < kZeroPrintsBelow;
        if (zeroCount < kZeroRiseBelow) zeroCount += kZeroStep;
        if (!asSpace) return 0;
        c = kSpaceCode;
    } else if (zeroCount >= kZeroFallFrom) {
        --zeroCount;
    }

    if (c == kSpaceCode || c == kLtrsCode) {
        figures = false;
        return static_cast<char16_t>(kLetters[c]);
    }
    if (c == kFigsCode) {
        figures = true;
        return kFigsMarker;
    }
    if (!figures) return static_cast<char16_t>(kLetters[c]);
    if (c == 15 || c == 30) {  // taken as a damaged LTRS
        figures = false;
        return kLtrsMarker;
    }
    return static_cast<char16_t>(kFigures[c]);
}

}  // namespace kestrel
