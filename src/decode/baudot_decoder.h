#pragma once
// Received 5-bit ITA2 codes to characters, keeping the letters/figures shift.
#include <cstdint>

#include "modem_state.h"

namespace kestrel {

constexpr std::uint8_t kLtrsCode = 31;
constexpr std::uint8_t kFigsCode = 27;

struct BaudotDecoder {
    explicit BaudotDecoder(const ModemState& state) : state_(state) {}

    // The character for a received code (low 5 bits used), or 0 when nothing prints.
    // The figures set is the contest one while Contest is 1. 31 forces letters case.
    char16_t baudotDecode(std::uint8_t code);

    int shift = 0;    // 0 letters, 32 figures
    int nullRun = 0;  // leaky count of all-zero codes

  private:
    const ModemState& state_;
};

}  // namespace kestrel
