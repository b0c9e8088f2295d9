#pragma once
// A simulated clock: sleeps return at once and advance the counter; every sleep is
// recorded.
#include <cstdint>
#include <vector>

#include "platform/clock_port.h"

namespace kestrel {

class FakeClock : public ClockPort {
  public:
    static constexpr std::int64_t kFrequency = 10'000'000;

    std::int64_t now = 0;
    std::vector<std::uint32_t> sleeps;

    std::int64_t counter() override { return now; }
    std::int64_t counterFrequency() override { return kFrequency; }
    void sleepMs(std::uint32_t ms) override {
        sleeps.push_back(ms);
        now += static_cast<std::int64_t>(ms) * (kFrequency / 1000);
    }
};

}  // namespace kestrel
