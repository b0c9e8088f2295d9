#include "audio_in/wav_player.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/memory_byte_source.h"

namespace kestrel {
namespace {

std::vector<double> feed(const std::vector<std::int16_t>& samples, std::int32_t fileRate,
                         int sampleRate) {
    std::vector<double> got;
    double accumulator = 0.0;
    feedWavSamples(accumulator, samples, fileRate, sampleRate,
                   [&](double x) { got.push_back(x * kWavSampleScale); });
    return got;
}

TEST(WavFeed, SlowerFileRepeatsSamplesFasterFileDropsThem) {
    // 8000 samples/s at 12000: each sample 1.5 times on average, alternately once and twice.
    EXPECT_EQ(feed({1, 2, 3, 4}, 8000, 12000), (std::vector<double>{1, 2, 2, 3, 4, 4}));
    EXPECT_EQ(feed(std::vector<std::int16_t>(8000, 1), 8000, 12000).size(), 12000u);
    // 48000 at 12000: every fourth sample, the first being the fourth of the file.
    EXPECT_EQ(feed({1, 2, 3, 4, 5, 6, 7, 8, 9}, 48000, 12000), (std::vector<double>{4, 8}));
    // 48000 at 19800 (75 baud): 33 of every 80 (one sample past whole periods, so the
    // count does not hang on the rounding of the last step).
    EXPECT_EQ(feed(std::vector<std::int16_t>(80 * 100 + 1, 1), 48000, 19800).size(), 3300u);
    EXPECT_EQ(feed({5, 6}, 12000, 12000), (std::vector<double>{5, 6}));
}

TEST(WavFeed, SamplesAreScaledBy3726) {
    std::vector<double> got;
    double accumulator = 0.0;
    const std::vector<std::int16_t> samples = {3726, -7452};
    feedWavSamples(accumulator, samples, 12000, 12000, [&](double x) { got.push_back(x); });
    EXPECT_EQ(got, (std::vector<double>{1.0, -2.0}));
}

std::vector<std::uint8_t> canonicalFile(std::int32_t rate, std::size_t count) {
    std::vector<std::uint8_t> b = {'R', 'I', 'F', 'F', 0,  0, 0, 0, 'W', 'A', 'V', 'E',
                                   'f', 'm', 't', ' ', 16, 0, 0, 0, 1,   0,   1,   0};
    for (int k = 0; k < 4; ++k) b.push_back(static_cast<std::uint8_t>(rate >> (8 * k)));
    b.insert(b.end(), {0, 0, 0, 0, 2, 0, 16, 0, 'd', 'a', 't', 'a'});
    const std::uint32_t bytes = static_cast<std::uint32_t>(2 * count);
    for (int k = 0; k < 4; ++k) b.push_back(static_cast<std::uint8_t>(bytes >> (8 * k)));
    for (std::size_t k = 0; k < count; ++k) {
        b.push_back(static_cast<std::uint8_t>(k % 100));
        b.push_back(0);
    }
    return b;
}

struct Played {
    std::string events;  // "n" per line feed, "s" per first sample of a run of samples
    std::size_t samples = 0;
    std::uint64_t fileSamples = 0;
};

Played playWhile(std::size_t count, ModemState& state, int stopAfter = -1) {
    WavToPlay file;
    file.source = std::make_unique<MemoryByteSource>(canonicalFile(12000, count));
    EXPECT_EQ(inspectWav(*file.source, file.layout), WavVerdict::playable);
    Played p;
    p.fileSamples = wavPlayer(
        file, state,
        [&](double) {
            if (p.events.empty() || p.events.back() != 's') p.events += 's';
            if (static_cast<int>(++p.samples) == stopAfter) state.wavPlaying = 0;
        },
        [&](char16_t c) { p.events += c == u'\n' ? 'n' : '?'; });
    return p;
}

// Two line feeds before and after the samples, then idle; playing cleared during the
// first chunk stops after it; an empty file still gives the line feeds.
TEST(WavPlayer, LineFeedsFrameTheSamplesWhichStopBetweenChunksWhenPlayingIsCleared) {
    const struct {
        std::size_t count;
        int stopAfter;
        const char* events;
        std::size_t samples;
    } cases[] = {{100000, -1, "nnsnn", 100000}, {150000, 10, "nnsnn", kWavChunkSamples}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        ModemState state;
        state.wavPlaying = 1;
        const Played p = playWhile(c.count, state, c.stopAfter);
        EXPECT_EQ(p.events, c.events);
        EXPECT_EQ(p.samples, c.samples);
        EXPECT_EQ(p.fileSamples, c.samples);
        EXPECT_EQ(state.wavPlaying.load(), 0);
    }
}

}  // namespace
}  // namespace kestrel
