#pragma once
// The two logger notifications the transmitter sends: the echo of every character as it
// goes on air, and the start (1) and end (0) of a transmission.
#include <cstdint>

namespace kestrel {

inline constexpr std::uint32_t TXM_CHAR = 32771;
inline constexpr std::uint32_t TXM_PTTEVENT = 32772;

}  // namespace kestrel
