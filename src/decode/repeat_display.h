#pragma once
// How a corrected repeat is spelled before it is printed. It has its own letters/figures
// state, apart from the receive decoder's, and shows FIGS and LTRS as markers so that
// the shift codes of a sequence can be checked and then left out of the print.
#include <cstdint>

namespace kestrel {

constexpr char16_t kFigsMarker = u'>';
constexpr char16_t kLtrsMarker = u'<';

// True when the code prints a digit in figures case.
bool hasFiguresDigit(std::uint8_t code);

struct RepeatDisplay {
    // The character for a code (low 5 bits used), or 0 when nothing prints.
    char16_t displayDecode(std::uint8_t code);

    bool figures = false;
    int zeroCount = 0;  // leaky count of all-zero codes
};

}  // namespace kestrel
