#pragma once
// A sound output device that journals what is done to it ("open 65535 13200",
// "prepare 0", "reset", ...) and keeps the event sink it was opened with, so a test can
// play the driver's part. Any step can be made to fail by its first word.
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_playback_port.h"
#include "platform/playback_device_port.h"

namespace kestrel {

class FakePlaybackDevice : public PlaybackDevicePort {
  public:
    int openDevice(std::uint32_t deviceId, int sampleRate, PlaybackEventSink events) override {
        const int result =
            step("open " + std::to_string(deviceId) + " " + std::to_string(sampleRate));
        if (result == 0) {
            open = true;
            sink = std::move(events);
        }
        return result;
    }
    bool deviceOpen() override { return open; }
    int prepareBuffer(int index, std::span<std::int16_t> audio) override {
        prepared.push_back(audio.data());
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

    std::set<std::string> failing;  // first words of the steps that fail
    bool open = false;
    PlaybackEventSink sink;
    std::vector<const std::int16_t*> prepared;  // the audio each prepare was given

  private:
    int step(const std::string& what) {
        std::lock_guard lock(mutex_);
        journal_.push_back(what);
        return failing.count(what.substr(0, what.find(' '))) ? 5 : 0;
    }
    mutable std::mutex mutex_;
    std::vector<std::string> journal_;
};

}  // namespace kestrel
