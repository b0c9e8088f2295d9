#pragma once
// The logger's shared block as a plain buffer, filled with a marker byte so that what
// the core writes (and what it leaves alone) shows.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "platform/shared_block_port.h"

namespace kestrel {

class FakeSharedBlock : public SharedBlockPort {
  public:
    static constexpr std::byte kUntouched{0xA5};

    explicit FakeSharedBlock(std::size_t size = 24576) : bytes(size, kUntouched) {}

    bool present = true;
    int opens = 0;
    std::vector<std::byte> bytes;

    std::span<std::byte> openSharedBlock() override {
        ++opens;
        if (!present) return {};
        return bytes;
    }

    std::int32_t int32At(std::size_t offset) const {
        std::int32_t value;
        std::memcpy(&value, bytes.data() + offset, sizeof value);
        return value;
    }
    // The raw bytes of a field, for exact comparisons.
    std::string textAt(std::size_t offset, std::size_t size) const {
        return std::string(reinterpret_cast<const char*>(bytes.data() + offset), size);
    }
};

}  // namespace kestrel
