#pragma once
// A sound input device that journals what is done to it ("open 1 2", "prepare 0",
// "add 0", "start", "stop", ...) and plays the driver's part: it announces the open on the
// sink as a driver does, keeps the buffers handed to it in order, and deliver() fills the
// oldest with the given samples and reports it. Any step can be made to fail by its first
// word; the failure's text is "error N".
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/capture_device_port.h"

namespace kestrel {

class FakeCaptureDevice : public CaptureDevicePort {
  public:
    static constexpr int kFailure = 32;

    int openDevice(std::uint32_t deviceId, int channels, CaptureEventSink events) override {
        const int result =
            step("open " + std::to_string(deviceId) + " " + std::to_string(channels));
        if (result != 0) return result;
        {
            std::lock_guard lock(mutex_);
            open_ = true;
            sink_ = std::move(events);
            queued_.clear();
        }
        sink_(CaptureEvent::opened, -1, 0);
        return 0;
    }
    bool deviceOpen() override {
        std::lock_guard lock(mutex_);
        return open_;
    }
    int prepareBuffer(int index, std::span<std::int16_t> audio) override {
        {
            std::lock_guard lock(mutex_);
            if (buffers_.size() <= static_cast<std::size_t>(index)) buffers_.resize(index + 1);
            buffers_[index] = audio;
        }
        return step("prepare " + std::to_string(index));
    }
    int addBuffer(int index) override {
        const int result = step("add " + std::to_string(index), false);
        if (result == 0) {
            std::lock_guard lock(mutex_);
            queued_.push_back(index);
            changed_.notify_all();
        }
        return result;
    }
    int startCapture() override { return step("start"); }
    int stopCapture() override { return step("stop"); }
    int resetCapture() override {
        std::lock_guard lock(mutex_);
        queued_.clear();  // returned, but the capture no longer takes them
        return stepLocked("reset");
    }
    int unprepareBuffer(int index) override { return step("unprepare " + std::to_string(index)); }
    int closeDevice() override {
        std::lock_guard lock(mutex_);
        open_ = false;
        return stepLocked("close");
    }
    std::string errorText(int code) override { return "error " + std::to_string(code); }

    // Fills the oldest buffer the device holds with `samples` (at most one buffer) and
    // reports it; false when none comes within two seconds.
    bool deliver(std::span<const std::int16_t> samples) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, std::chrono::seconds(2), [&] { return !queued_.empty(); }))
            return false;
        const int index = queued_.front();
        queued_.pop_front();
        std::span<std::int16_t> audio = buffers_[index];
        const std::size_t n = std::min(samples.size(), audio.size());
        std::copy_n(samples.begin(), n, audio.begin());
        CaptureEventSink sink = sink_;
        lock.unlock();
        sink(CaptureEvent::data, index, n * sizeof(std::int16_t));
        return true;
    }
    // Waits until the device holds `count` buffers again (all handed back).
    bool holds(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5),
                                 [&] { return queued_.size() >= count; });
    }

    // The journal without the adds, which the receive thread makes all the time.
    std::vector<std::string> journal() const {
        std::lock_guard lock(mutex_);
        return journal_;
    }
    void clearJournal() {
        std::lock_guard lock(mutex_);
        journal_.clear();
    }
    void setFailing(std::set<std::string> words) {
        std::lock_guard lock(mutex_);
        failing_ = std::move(words);
    }

  private:
    int step(const std::string& what, bool journalled = true) {
        std::lock_guard lock(mutex_);
        return stepLocked(what, journalled);
    }
    int stepLocked(const std::string& what, bool journalled = true) {
        if (journalled) journal_.push_back(what);
        return failing_.count(what.substr(0, what.find(' '))) ? kFailure : 0;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    CaptureEventSink sink_;
    std::vector<std::span<std::int16_t>> buffers_;
    std::deque<int> queued_;
    std::set<std::string> failing_;
    std::vector<std::string> journal_;
};

}  // namespace kestrel
