// Any bytes offered as a .wav file to play: the check either rejects them with a message or
// gives a layout inside the file, and playing it reads only what the file holds. The first
// byte chooses how much of a valid file stands in front of the rest, so that the random
// bytes reach the chunk walk and the player and not only the first check.
#include <cstdint>
#include <vector>

#include "audio_in/wav_player.h"
#include "fakes/fakes.h"
#include "fuzz/fuzz_check.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void append(Bytes& b, const char* text, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) b.push_back(static_cast<std::uint8_t>(text[k]));
}

Bytes fileFrom(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return {};
    const unsigned mode = data[0] % 4;
    Bytes b;
    if (mode >= 1) append(b, "RIFF\xff\xff\xff\x7fWAVE", 12);
    if (mode >= 2)  // a mono 16-bit format chunk at 8000 samples/s
        append(b, "fmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0", 24);
    if (mode == 3) append(b, "data", 4);  // its size and samples come from the input
    for (std::size_t k = 1; k < size; ++k) b.push_back(data[k]);
    return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrel;
    const Bytes bytes = fileFrom(data, size);
    WavToPlay file;
    file.source = std::make_unique<MemoryByteSource>(bytes);
    const WavVerdict verdict = inspectWav(*file.source, file.layout);
    if (verdict != WavVerdict::playable) {
        FUZZ_CHECK(wavVerdictMessage(verdict) != nullptr);
        return 0;
    }
    const WavLayout& l = file.layout;
    FUZZ_CHECK(l.sampleRate >= kRecordingSampleRate && l.channels == 1);
    FUZZ_CHECK(l.dataOffset >= 20 && l.dataOffset + 2 * l.sampleCount <= bytes.size());
    ModemState state;
    state.wavPlaying = 1;
    std::uint64_t calls = 0;
    std::uint64_t feeds = 0;
    const std::uint64_t played = wavPlayer(
        file, state, [&](double) { ++calls; }, [&](char16_t) { ++feeds; });
    FUZZ_CHECK(played == l.sampleCount);
    FUZZ_CHECK(calls <= l.sampleCount * 3 / 2 + 1);  // 12000 from at least 8000 samples/s
    FUZZ_CHECK(feeds == 4 && state.wavPlaying == 0);
    return 0;
}
