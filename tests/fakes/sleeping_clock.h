#pragma once
// A clock whose sleeps really sleep, for threads that a test lets run in real time.
#include <chrono>
#include <thread>

#include "platform/clock_port.h"

namespace kestrel {

class SleepingClock : public ClockPort {
  public:
    std::int64_t counter() override {
        return std::chrono::steady_clock::now().time_since_epoch().count();
    }
    std::int64_t counterFrequency() override {
        return std::chrono::steady_clock::period::den / std::chrono::steady_clock::period::num;
    }
    void sleepMs(std::uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

}  // namespace kestrel
