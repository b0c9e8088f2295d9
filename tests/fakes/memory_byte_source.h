#pragma once
// A ByteSource over bytes in memory, for WAV tests: it counts reads and notes any read that
// asked for bytes past the end (allowed, but the caller must cope with the short count).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "audio_in/wav_file.h"

namespace kestrel {

class MemoryByteSource : public ByteSource {
  public:
    explicit MemoryByteSource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::uint64_t size() const override { return bytes_.size(); }

    std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        ++reads;
        if (offset >= bytes_.size()) return 0;
        const std::size_t n = std::min<std::size_t>(out.size(), bytes_.size() - offset);
        std::memcpy(out.data(), bytes_.data() + offset, n);
        return n;
    }

    int reads = 0;

  private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace kestrel
