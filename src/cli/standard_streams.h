#pragma once
// Standard input and output as the byte streams a WAV file passes through in a pipe.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "audio_in/wav_file.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace kestrel::cli {

// The name that stands for standard input or output in place of a file.
inline constexpr const char* kStandardStream = "-";

// Windows opens the standard streams in text mode, which would turn every byte 10 of a
// recording into 13 10 and end it at the first byte 26.
inline void makeBinary(std::FILE* stream) {
#ifdef _WIN32
    _setmode(_fileno(stream), _O_BINARY);
#else
    (void)stream;
#endif
}

// A stream read forward as it comes (the WAV reader and player only go forward). It keeps
// only the bytes from the last offset asked for on, so a recording of any length, or one
// that never ends, passes through in little memory; its size is found at its end.
class StreamByteSource final : public ByteSource {
  public:
    explicit StreamByteSource(std::FILE* in) : in_(in) {}

    std::uint64_t size() const override { return kStreamSize; }

    std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        if (offset < start_) return 0;  // already passed
        while (!ended_ && start_ + held_.size() < offset + out.size()) {
            std::uint8_t block[65536];
            const std::size_t n = std::fread(block, 1, sizeof block, in_);
            held_.insert(held_.end(), block, block + n);
            ended_ = n < sizeof block;
        }
        const std::size_t dropped =
            static_cast<std::size_t>(std::min<std::uint64_t>(offset - start_, held_.size()));
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(dropped));
        start_ += dropped;
        if (offset != start_) return 0;  // the stream ended before offset
        const std::size_t n = std::min(out.size(), held_.size());
        std::copy_n(held_.begin(), n, out.begin());
        return n;
    }

  private:
    std::FILE* in_;
    std::vector<std::uint8_t> held_;  // the stream from start_ on
    std::uint64_t start_ = 0;
    bool ended_ = false;
};

}  // namespace kestrel::cli
