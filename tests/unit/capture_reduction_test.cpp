#include "audio_in/capture_reduction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace kestrel {
namespace {

// Runs buffers through the reduction with an identity low-pass; returns the kept samples
// times 750 (that is, the captured values).
std::vector<double> reduce(const std::vector<std::vector<std::int16_t>>& buffers, int rxChannel,
                           int sampleRate) {
    CaptureReduction reduction;
    std::vector<double> kept;
    for (const auto& b : buffers)
        reduceCapture(
            reduction, b, rxChannel, sampleRate, [](double x) { return x; },
            [&](double x) { kept.push_back(std::round(x * kCaptureSampleScale)); });
    return kept;
}

std::vector<std::int16_t> ramp(std::size_t n, int start = 0) {
    std::vector<std::int16_t> v(n);
    for (std::size_t k = 0; k < n; ++k) v[k] = static_cast<std::int16_t>(start + k);
    return v;
}

TEST(CaptureReduction, ChannelPick) {
    // Stereo frames: left k, right 1000 + k.
    std::vector<std::int16_t> stereo;
    for (int k = 0; k < 8; ++k) {
        stereo.push_back(static_cast<std::int16_t>(k));
        stereo.push_back(static_cast<std::int16_t>(1000 + k));
    }
    EXPECT_EQ(reduce({stereo}, 1, 12000), (std::vector<double>{3, 7}));
    EXPECT_EQ(reduce({stereo}, 3, 12000), (std::vector<double>{3, 7}));  // any non-2 is left
    EXPECT_EQ(reduce({stereo}, 2, 12000), (std::vector<double>{1003, 1007}));
    EXPECT_EQ(reduce({stereo}, 0, 12000), (std::vector<double>{1001, 1003, 1005, 1007}));
    EXPECT_EQ(captureChannels(0), 1);
    EXPECT_EQ(captureChannels(2), 2);
}

TEST(CaptureReduction, KeepsSampleRateOfEvery48000Frames) {
    // One frame past whole periods, so the count does not hang on the last phase step.
    const auto frames = ramp(4001);
    EXPECT_EQ(reduce({frames}, 0, 12000).size(), 1000u);  // every fourth
    EXPECT_EQ(reduce({frames}, 0, 13200).size(), 1100u);  // 11 of every 40
    EXPECT_EQ(reduce({frames}, 0, 19800).size(), 1650u);  // 33 of every 80
    EXPECT_EQ(reduce({ramp(48000 * 3 + 1)}, 0, 13200).size(), 13200u * 3);
}

TEST(CaptureReduction, PhaseCarriesAcrossBuffers) {
    // 64-sample (128-byte) buffers give what one long buffer gives.
    std::vector<std::vector<std::int16_t>> buffers;
    for (int b = 0; b < 50; ++b) buffers.push_back(ramp(64, 64 * b));
    for (const int rate : {12000, 13200, 19800})
        EXPECT_EQ(reduce(buffers, 0, rate), reduce({ramp(64 * 50)}, 0, rate)) << rate;
}

TEST(CaptureReduction, ScalesBy750ThenLowPassesThenProcesses) {
    CaptureReduction reduction;
    std::vector<double> lowPassIn, processed;
    const std::vector<std::int16_t> samples = {0, 0, 0, 1500, 0, 0, 0, -750};
    reduceCapture(
        reduction, samples, 0, 12000,
        [&](double x) {
            lowPassIn.push_back(x);
            return 10 * x + 1;
        },
        [&](double x) { processed.push_back(x); });
    EXPECT_EQ(lowPassIn, (std::vector<double>{2.0, -1.0}));
    EXPECT_EQ(processed, (std::vector<double>{21.0, -9.0}));
}

}  // namespace
}  // namespace kestrel
