#include "audio_in/wav_player.h"

#include <algorithm>
#include <vector>

namespace kestrel {

namespace {

void lineFeeds(CharSink emitReceivedChar) {
    emitReceivedChar(u'\n');
    emitReceivedChar(u'\n');
}

}  // namespace

void feedWavSamples(double& accumulator, std::span<const std::int16_t> samples,
                    std::int32_t fileRate, int sampleRate, SampleSink processSample) {
    const double step = static_cast<double>(sampleRate) / fileRate;
    for (const std::int16_t s : samples) {
        accumulator += step;
        while (accumulator >= 1.0) {
            accumulator -= 1.0;
            processSample(s / kWavSampleScale);
        }
    }
}

std::uint64_t readWavChannel(WavToPlay& file,
                             FunctionRef<bool(std::span<const std::int16_t>)> chunk) {
    std::vector<std::uint8_t> bytes(2 * kWavChunkSamples);  // one buffer per file read
    std::vector<std::int16_t> samples(kWavChunkSamples);
    std::uint64_t played = 0;
    const WavLayout& layout = file.layout;
    const auto channels = static_cast<std::size_t>(std::max(layout.channels, 1));
    while (played < layout.sampleCount) {
        const std::size_t wanted = static_cast<std::size_t>(
            std::min<std::uint64_t>(kWavChunkSamples, layout.sampleCount - played));
        std::size_t got = file.source->readAt(layout.dataOffset + 2 * played,
                                              std::span(bytes).first(2 * wanted)) /
                          2;
        got -= got % channels;  // whole frames: a stream may end inside one
        if (got == 0) break;    // the file shrank while playing, or the stream ended
        const std::size_t frames = got / channels;
        for (std::size_t k = 0; k < frames; ++k) {
            const std::size_t at = 2 * (k * channels + static_cast<std::size_t>(file.channel));
            samples[k] = static_cast<std::int16_t>(bytes[at] | (bytes[at + 1] << 8));
        }
        played += got;
        if (!chunk(std::span(samples).first(frames))) break;
    }
    return played;
}

std::uint64_t wavPlayer(WavToPlay& file, ModemState& state, SampleSink processSample,
                        CharSink emitReceivedChar, std::uint64_t silenceAfter) {
    lineFeeds(emitReceivedChar);
    double accumulator = 0.0;
    std::uint64_t played = 0;
    if (state.wavPlaying.load() == 1)
        played = readWavChannel(file, [&](std::span<const std::int16_t> samples) {
            feedWavSamples(accumulator, samples, file.layout.sampleRate, state.sampleRate.load(),
                           processSample);
            return state.wavPlaying.load() == 1;
        });
    for (std::uint64_t n = 0; n < silenceAfter && state.wavPlaying.load() == 1; ++n)
        processSample(0.0);
    state.wavPlaying.store(0);
    lineFeeds(emitReceivedChar);
    return played;
}

}  // namespace kestrel
