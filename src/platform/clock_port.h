#pragma once
// Time for the code that keys lines and waits: a performance counter and sleeps. The
// FSK keyer, the end-of-transmission reporter and the watchdogs take it so tests can run
// them on a simulated clock.
#include <cstdint>

namespace kestrel {

class ClockPort {
  public:
    virtual ~ClockPort() = default;
    virtual std::int64_t counter() = 0;           // performance counter ticks
    virtual std::int64_t counterFrequency() = 0;  // ticks per second
    virtual void sleepMs(std::uint32_t ms) = 0;   // 0 yields the rest of the time slice
};

// Milliseconds from the counter reading `then` to now.
inline double millisecondsSince(ClockPort& clock, std::int64_t then) {
    return 1000.0 * static_cast<double>(clock.counter() - then) /
           static_cast<double>(clock.counterFrequency());
}

}  // namespace kestrel
