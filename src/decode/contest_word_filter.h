#pragma once
// In contest mode the figures set prints "9" for "?" and "/" for "."; this filter puts
// them back where the text shows what was meant: "9" straight after a contest word
// ("AGN9") becomes "?", and "/" after three or more digits ("599/") becomes ".".
#include <array>

namespace kestrel {

struct ContestWordFilter {
    char16_t contestWordFilter(char16_t ch);

    // The last nine letters, newest at 8, empty positions 0; position 9 is always 0.
    std::array<char16_t, 10> wordBuffer{};
    int digitRun = 0;

  private:
    bool bufferHoldsContestWord() const;
};

}  // namespace kestrel
