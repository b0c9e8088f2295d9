#pragma once
// Received 5-bit ITA2 codes to characters, keeping the letters/figures shift.
#include <cstdint>

#include "modem_state.h"

namespace kestrel {

// Received five-bit codes with a meaning of their own: the shifts, space and the two
// line codes.
constexpr std::uint8_t kLineFeedCode = 2;
constexpr std::uint8_t kSpaceCode = 4;
constexpr std::uint8_t kCarriageReturnCode = 8;
constexpr std::uint8_t kFigsCode = 27;
constexpr std::uint8_t kLtrsCode = 31;

// A code received with one element wrong could have been `sent`.
constexpr bool isOneBitFrom(std::uint8_t code, std::uint8_t sent) {
    const unsigned differ = static_cast<unsigned>(code ^ sent);
    return differ != 0 && (differ & (differ - 1)) == 0;
}

// BaudotDecoder::shift: added to a code to index the figures half of the tables.
constexpr int kLettersShift = 0;
constexpr int kFiguresShift = 32;

struct BaudotDecoder {
    explicit BaudotDecoder(const ModemState& state) : state_(state) {}

    // The character for a received code (low 5 bits used), or 0 when nothing prints.
    // The figures set is the contest one while Contest is 1. 31 forces letters case.
    char16_t baudotDecode(std::uint8_t code);

    int shift = kLettersShift;  // or kFiguresShift
    int nullRun = 0;            // leaky count of all-zero codes

  private:
    const ModemState& state_;
};

}  // namespace kestrel
