#pragma once
// Records every buffer written to the sound output.
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "platform/playback_port.h"

namespace kestrel {

struct PlaybackWrite {
    int index;
    std::vector<std::int16_t> stereo;
};

class FakePlaybackPort : public PlaybackPort {
  public:
    int writeBuffer(int index, std::span<const std::int16_t> stereo) override {
        std::lock_guard lock(mutex_);
        writes_.push_back({index, {stereo.begin(), stereo.end()}});
        return 0;
    }
    int resetOutput() override { return 0; }
    std::vector<PlaybackWrite> writes() const {
        std::lock_guard lock(mutex_);
        return writes_;
    }
    std::vector<int> writtenIndices() const {
        std::vector<int> out;
        for (const auto& w : writes()) out.push_back(w.index);
        return out;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<PlaybackWrite> writes_;
};

}  // namespace kestrel
