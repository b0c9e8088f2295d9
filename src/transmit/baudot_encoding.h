#pragma once
// ASCII to five-bit Baudot codes as the transmitters send them. Bits 0 to 4 are the data
// elements in sending order, bit 0 first; a 1 bit is a space element, a 0 bit a mark
// element (the complement of the usual ITA2 notation). Table entries of figures-case
// characters carry bit 5 as well; it never reaches a transmitter.
#include <array>
#include <cstdint>

namespace kestrel {

using BaudotCode = std::uint8_t;

inline constexpr BaudotCode kBaudotLtrs = 0x00;
inline constexpr BaudotCode kBaudotFigs = 0x04;
inline constexpr BaudotCode kBaudotSpace = 0x1B;
inline constexpr BaudotCode kBaudotCr = 0x17;
inline constexpr BaudotCode kBaudotLf = 0x1D;
inline constexpr BaudotCode kFiguresCase = 0x20;  // flag bit of the table, not a data bit
inline constexpr BaudotCode kNoBaudotCode = 0x7F;
inline constexpr BaudotCode kBaudotDataBits = 0x1F;

// Characters 0x20 to 0x5F, indexed by character minus 0x20. A figure carries 0x20 plus the
// code of the letter key whose element pattern it shares.
extern const std::array<BaudotCode, 64> baudotTable;

// The code of one character: CR and LF, the table for 0x20 to 0x5F, lower-case letters as
// upper case, 0x7F for everything else. No side effects.
BaudotCode encodeBaudot(std::uint8_t character);

}  // namespace kestrel
