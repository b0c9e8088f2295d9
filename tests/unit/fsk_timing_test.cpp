#include "transmit/fsk_timing.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

constexpr std::int64_t k10MHz = 10000000;

TEST(FskTiming, ElementTicksAndSleepLimitPerSpeed) {
    EXPECT_EQ(elementTicks(k10MHz, 0), 220000);
    EXPECT_EQ(elementTicks(k10MHz, 1), 200000);
    EXPECT_EQ(elementTicks(k10MHz, 2), 133330);
    EXPECT_EQ(elementTicks(k10MHz, 7), 220000);
    EXPECT_EQ(elementTicks(3579545, 2), 47726);  // rounded down from 47726.07
    EXPECT_EQ(maxSleepMs(0), 22);
    EXPECT_EQ(maxSleepMs(1), 20);
    EXPECT_EQ(maxSleepMs(2), 13);
    EXPECT_EQ(maxSleepMs(-1), 22);
}

TEST(FskTiming, FrameIsSixElementsThenOneAndAHalf) {
    FrameDeadlines d = frameDeadlines(1000, 220000);
    EXPECT_EQ(d, (FrameDeadlines{221000, 441000, 661000, 881000, 1101000, 1321000, 1651000}));
    EXPECT_EQ(d[6] - 1000, 1650000);  // 165 ms at 10 MHz

    // The half element is halved in whole ticks: 133330 / 2 = 66665, 133331 / 2 = 66665.
    EXPECT_EQ(frameDeadlines(0, 133330)[6], 7 * 133330 + 66665);
    EXPECT_EQ(frameDeadlines(0, 133331)[6], 7 * 133331 + 66665);
}

TEST(FskTiming, SleepsOnlyWhenWholeMillisecondsAreBetweenOneAndTheLimit) {
    // 45.45 baud: a whole element left (22 ms) is spun; a tick less sleeps 20 ms.
    EXPECT_EQ(sleepBeforeDeadline(220000, 0, k10MHz, 22), 0u);
    EXPECT_EQ(sleepBeforeDeadline(220000, 1, k10MHz, 22), 20u);
    // The stop element (33 ms) is always spun.
    EXPECT_EQ(sleepBeforeDeadline(330000, 1, k10MHz, 22), 0u);
    // 50 baud: 19.9999 ms left sleeps 18.
    EXPECT_EQ(sleepBeforeDeadline(200000, 1, k10MHz, 20), 18u);
    // 75 baud: 13.333 ms is 13 whole ms, not below the limit of 13.
    EXPECT_EQ(sleepBeforeDeadline(133330, 0, k10MHz, 13), 0u);
    EXPECT_EQ(sleepBeforeDeadline(133330, 13331, k10MHz, 13), 10u);
    // Near or past the deadline: spin.
    EXPECT_EQ(sleepBeforeDeadline(20000, 1, k10MHz, 22), 0u);  // 1.9999 ms -> 1
    EXPECT_EQ(sleepBeforeDeadline(20000, 0, k10MHz, 22), 1u);  // 2 ms -> sleep 1
    EXPECT_EQ(sleepBeforeDeadline(100, 500, k10MHz, 22), 0u);
}

}  // namespace
}  // namespace kestrel
