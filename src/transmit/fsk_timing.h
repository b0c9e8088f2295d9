#pragma once
// The element schedule of serial-line FSK keying. A frame is a start element, five data
// elements and a stop element 1.5 elements long; every deadline is an absolute counter
// value carried on from the one before, so timing errors never accumulate.
#include <array>
#include <cstdint>

namespace kestrel {

inline constexpr int kFrameElements = 7;
inline constexpr int kStopElement = 6;

using FrameDeadlines = std::array<std::int64_t, kFrameElements>;

// Element time for baudIndex 0, 1, 2 (45.45, 50, 75 baud); any other index is 45.45.
std::int64_t elementMicroseconds(int baudIndex);

// Counter ticks per element (whole ticks, rounded down).
std::int64_t elementTicks(std::int64_t counterFrequency, int baudIndex);

// The longest sleep that still leaves the spin on the counter to finish an element.
int maxSleepMs(int baudIndex);

// The ends of the seven elements of a frame that starts at counter value `from`.
FrameDeadlines frameDeadlines(std::int64_t from, std::int64_t elementTicks);

// How long to sleep before spinning up to deadline: the whole milliseconds left minus 1
// when they are more than 1 and fewer than maxSleepMs, else 0 (spin all the way).
std::uint32_t sleepBeforeDeadline(std::int64_t deadline, std::int64_t lastCount,
                                  std::int64_t counterFrequency, int maxSleepMs);

}  // namespace kestrel
