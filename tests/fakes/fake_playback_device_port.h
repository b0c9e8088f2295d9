#pragma once
// A sound output device that journals what is done to it ("open 65535 13200",
// "prepare 0", "reset", ...).
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/playback_device_port.h"

namespace kestrel {

class FakePlaybackDevice : public PlaybackDevicePort {
  public:
    int openDevice(std::uint32_t deviceId, int sampleRate, PlaybackEventSink) override {
        open = true;
        return step("open " + std::to_string(deviceId) + " " + std::to_string(sampleRate));
    }
    bool deviceOpen() override { return open; }
    int prepareBuffer(int index, std::span<std::int16_t>) override {
        return step("prepare " + std::to_string(index));
    }
    int unprepareBuffer(int index) override { return step("unprepare " + std::to_string(index)); }
    int closeDevice() override {
        open = false;
        return step("close");
    }
    int writeBuffer(int index, std::span<const std::int16_t>) override {
        return step("write " + std::to_string(index));
    }
    int resetOutput() override { return step("reset"); }

    std::vector<std::string> journal() const {
        std::lock_guard lock(mutex_);
        return journal_;
    }

    bool open = false;

  private:
    int step(const std::string& what) {
        std::lock_guard lock(mutex_);
        journal_.push_back(what);
        return 0;
    }
    mutable std::mutex mutex_;
    std::vector<std::string> journal_;
};

}  // namespace kestrel
