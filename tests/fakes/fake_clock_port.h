#pragma once
// A simulated clock: sleeps return at once and advance the counter; every sleep is
// recorded. Reading the counter does not move it unless ticksPerRead says so, which code
// that spins on the counter needs. Actions scheduled with at() run, on the thread that
// moves the clock, as soon as it reaches their tick.
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "platform/clock_port.h"

namespace kestrel {

class FakeClock : public ClockPort {
  public:
    static constexpr std::int64_t kFrequency = 10'000'000;

    std::int64_t now = 0;
    std::int64_t ticksPerRead = 0;
    std::vector<std::uint32_t> sleeps;

    std::int64_t counter() override {
        now += ticksPerRead;
        runDue();
        return now;
    }
    std::int64_t counterFrequency() override { return kFrequency; }
    void sleepMs(std::uint32_t ms) override {
        sleeps.push_back(ms);
        now += static_cast<std::int64_t>(ms) * (kFrequency / 1000);
        runDue();
    }

    void at(std::int64_t tick, std::function<void()> action) {
        actions_.emplace(tick, std::move(action));
    }

  private:
    void runDue() {
        while (!actions_.empty() && actions_.begin()->first <= now) {
            std::function<void()> action = std::move(actions_.begin()->second);
            actions_.erase(actions_.begin());
            action();
        }
    }

    std::multimap<std::int64_t, std::function<void()>> actions_;
};

}  // namespace kestrel
