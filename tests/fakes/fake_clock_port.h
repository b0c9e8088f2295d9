#pragma once
// A simulated clock: sleeps advance the counter at once (1 tick = 1 microsecond) and are
// recorded, so timed code runs in no time.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/clock_port.h"

namespace kestrel {

class FakeClockPort : public ClockPort {
  public:
    std::int64_t counter() override { return ticks_.load(); }
    std::int64_t counterFrequency() override { return 1000000; }
    void sleepMs(std::uint32_t ms) override {
        {
            std::lock_guard lock(mutex_);
            sleeps_.push_back(ms);
        }
        ticks_ += std::int64_t{ms} * 1000;
    }
    std::vector<std::uint32_t> sleeps() const {
        std::lock_guard lock(mutex_);
        return sleeps_;
    }
    void advanceMicroseconds(std::int64_t us) { ticks_ += us; }

  private:
    std::atomic<std::int64_t> ticks_{0};
    mutable std::mutex mutex_;
    std::vector<std::uint32_t> sleeps_;
};

}  // namespace kestrel
