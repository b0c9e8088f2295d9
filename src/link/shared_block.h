#pragma once
// The places Kestrel writes in the logger's shared block "MMTTY". The rest of the block
// belongs to the logger. Every write is checked against the mapped size, so a block
// smaller than expected loses fields instead of being overrun.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kestrel {

inline constexpr std::size_t kSharedBlockClearSize = 21716;
inline constexpr std::size_t kBlockVersionOffset = 0;         // 32-bit 10
inline constexpr std::size_t kBlockFskPortOffset = 132;       // 8-byte text field
inline constexpr std::size_t kBlockPttPortOffset = 140;       // 8-byte text field
inline constexpr std::size_t kBlockAliveOffset = 152;         // 32-bit 1, the heartbeat
inline constexpr std::size_t kBlockNumberTextOffset = 12448;  // "9999999999999"
inline constexpr std::size_t kBlockRateOffset = 12492;        // 32-bit 12000
inline constexpr std::size_t kPortFieldSize = 8;
// A port name takes at most this many bytes, so the field keeps a terminator and its
// last byte is always 0.
inline constexpr std::size_t kPortNameMaxBytes = 6;

// Clears the block and writes the fixed fields and the two port names (the handshake).
void prepareSharedBlock(std::span<std::byte> block, std::string_view fskPortName,
                        std::string_view pttPortName);

// Writes the two port names again (also after the Settings dialog is confirmed).
void writeComPortNames(std::span<std::byte> block, std::string_view fskPortName,
                       std::string_view pttPortName);

// Stores 1 at the heartbeat place.
void storeAliveFlag(std::span<std::byte> block);

}  // namespace kestrel
