#include "decode/pulse_level.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace kestrel {
namespace {

constexpr double kLong = 0.5;
constexpr double kMid = 0.25;

// One pulse of height 1 and the given length at 1100, zero elsewhere. With window code
// 3 the scan starts at the zero at 1024 and ends at 1520.
double singlePulse(int length, double midFactor) {
    auto env = std::make_unique<EnvelopeWindow>();
    std::fill(env->begin() + 1100, env->begin() + 1100 + length, 1.0);
    return measurePulseLevel(*env, 3, 1.0, kLong, midFactor);
}

TEST(MeasurePulseLevel, PulseLengthRulesWithoutAndWithMidFactor) {
    EXPECT_EQ(singlePulse(36, 0.0), 0.0);  // merged into the zeros that follow
    EXPECT_EQ(singlePulse(37, 0.0), 1.0);
    EXPECT_EQ(singlePulse(96, 0.0), 1.0);
    EXPECT_EQ(singlePulse(97, 0.0), kLong);
    EXPECT_EQ(singlePulse(36, kMid), 0.0);
    EXPECT_EQ(singlePulse(37, kMid), 1.0);
    EXPECT_EQ(singlePulse(84, kMid), 1.0);
    EXPECT_EQ(singlePulse(85, kMid), kMid);
    EXPECT_EQ(singlePulse(112, kMid), kMid);
    EXPECT_EQ(singlePulse(113, kMid), kMid * kLong);
    EXPECT_EQ(singlePulse(114, kMid), kLong);
}

TEST(MeasurePulseLevel, NoPulseGivesMinusOne) {
    auto env = std::make_unique<EnvelopeWindow>();
    EXPECT_EQ(measurePulseLevel(*env, 1, 1.0, kLong, 0.0), -1.0);
    env->fill(1.0);  // one pulse that never ends
    EXPECT_EQ(measurePulseLevel(*env, 1, 1.0, kLong, 0.0), -1.0);
}

TEST(MeasurePulseLevel, SteadyLevelAtHalfTheReferenceStillYieldsPulses) {
    auto env = std::make_unique<EnvelopeWindow>();
    // Silence with a zero reference: every entry opens and ends a pulse.
    EXPECT_EQ(measurePulseLevel(*env, 1, 0.0, kLong, 0.0), 0.0);
    // Nothing below half: the scan starts at entry 0.
    env->fill(0.5);
    EXPECT_EQ(measurePulseLevel(*env, 3, 1.0, kLong, 0.0), 0.5);
}

TEST(MeasurePulseLevel, ScanStartsAtTheLastDipWithinTheWindowCodesReach) {
    for (int code = 1; code <= 3; ++code) {
        const int s = (5 - code) * 512;
        for (int dip : {s, s + 1}) {
            // Height 1 everywhere, with zeros at dip, dip + 100, dip + 200...
            auto env = std::make_unique<EnvelopeWindow>();
            env->fill(1.0);
            for (int k = dip; k < kEnvelopeWindow; k += 100) (*env)[k] = 0.0;
            const double level = measurePulseLevel(*env, code, 1.0, kLong, 0.0);
            // From the dip, four 99-entry pulses (scaled as long) end before the scan
            // end at dip + 500. A dip past s leaves the scan starting at 0 with a
            // pulse that has not ended when the scan stops at the dip.
            EXPECT_EQ(level, dip == s ? kLong : -1.0) << "code " << code << " dip " << dip;
        }
    }
}

TEST(MeasurePulseLevel, OnlyTheFirstNinePulsesCount) {
    // Pulses of 40 entries, separated by single zeros, rising in height.
    auto env = std::make_unique<EnvelopeWindow>();
    double sumSquares = 0.0;
    for (int k = 0; k < 12; ++k) {
        const double height = 1.0 + 0.1 * k;
        std::fill(env->begin() + 1025 + 41 * k, env->begin() + 1065 + 41 * k, height);
        if (k < 9) sumSquares += height * height;
    }
    EXPECT_DOUBLE_EQ(measurePulseLevel(*env, 3, 1.0, kLong, 0.0), std::sqrt(sumSquares / 9));
}

TEST(MeasurePulseLevel, ShortPulsesMergeWithWhatFollows) {
    auto env = std::make_unique<EnvelopeWindow>();
    std::fill(env->begin() + 1100, env->begin() + 1130, 5.0);  // 30 entries
    std::fill(env->begin() + 1133, env->begin() + 1163, 2.0);  // 3 later, 30 more
    // The first is rejected (its peak forgotten); the merged pulse ends at 1163.
    EXPECT_EQ(measurePulseLevel(*env, 3, 3.0, kLong, 0.0), 2.0);
}

}  // namespace
}  // namespace kestrel
