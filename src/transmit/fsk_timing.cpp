#include "transmit/fsk_timing.h"

namespace kestrel {

std::int64_t elementMicroseconds(int baudIndex) {
    switch (baudIndex) {
        case 1:
            return 20000;
        case 2:
            return 13333;
        default:
            return 22000;
    }
}

std::int64_t elementTicks(std::int64_t counterFrequency, int baudIndex) {
    return counterFrequency * elementMicroseconds(baudIndex) / 1000000;
}

int maxSleepMs(int baudIndex) {
    switch (baudIndex) {
        case 1:
            return 20;
        case 2:
            return 13;
        default:
            return 22;
    }
}

FrameDeadlines frameDeadlines(std::int64_t from, std::int64_t elementTicks) {
    FrameDeadlines deadlines{};
    for (int k = 0; k < kStopElement; ++k) deadlines[k] = from + (k + 1) * elementTicks;
    deadlines[kStopElement] = deadlines[kStopElement - 1] + elementTicks + elementTicks / 2;
    return deadlines;
}

std::uint32_t sleepBeforeDeadline(std::int64_t deadline, std::int64_t lastCount,
                                  std::int64_t counterFrequency, int maxSleepMs) {
    std::int64_t ms = (deadline - lastCount) * 1000 / counterFrequency;
    if (ms > 1 && ms < maxSleepMs) return static_cast<std::uint32_t>(ms - 1);
    return 0;
}

}  // namespace kestrel
