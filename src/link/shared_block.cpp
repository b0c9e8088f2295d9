#include "link/shared_block.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "text/wide_text.h"

namespace kestrel {
namespace {

constexpr char kNumberText[] = "9999999999999";  // written with its terminator

void writeBytes(std::span<std::byte> block, std::size_t offset, const void* data,
                std::size_t size) {
    if (offset > block.size() || size > block.size() - offset) return;
    std::memcpy(block.data() + offset, data, size);
}

void writeInt32(std::span<std::byte> block, std::size_t offset, std::int32_t value) {
    writeBytes(block, offset, &value, sizeof value);
}

// A zero-filled field holding the cut name, so the bytes after the terminator never
// keep pieces of an earlier, longer name.
void writePortField(std::span<std::byte> block, std::size_t offset, std::string_view name) {
    std::array<char, kPortFieldSize> field{};
    const std::string_view cut = utf8Prefix(name, kPortNameMaxBytes);
    std::copy(cut.begin(), cut.end(), field.begin());
    writeBytes(block, offset, field.data(), field.size());
}

}  // namespace

void prepareSharedBlock(std::span<std::byte> block, std::string_view fskPortName,
                        std::string_view pttPortName) {
    const std::size_t clear = std::min(block.size(), kSharedBlockClearSize);
    std::fill_n(block.begin(), clear, std::byte{0});
    writeInt32(block, kBlockVersionOffset, 10);
    writeBytes(block, kBlockNumberTextOffset, kNumberText, sizeof kNumberText);
    writeInt32(block, kBlockRateOffset, 12000);
    writeComPortNames(block, fskPortName, pttPortName);
}

void writeComPortNames(std::span<std::byte> block, std::string_view fskPortName,
                       std::string_view pttPortName) {
    writePortField(block, kBlockFskPortOffset, fskPortName);
    writePortField(block, kBlockPttPortOffset, pttPortName);
}

void storeAliveFlag(std::span<std::byte> block) {
    writeInt32(block, kBlockAliveOffset, 1);
}

}  // namespace kestrel
