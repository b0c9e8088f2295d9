#include "audio_in/wav_file.h"

#include <algorithm>
#include <fstream>

namespace kestrel {
namespace {

void put16(std::uint8_t* at, std::uint32_t v) {
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* at, std::uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
}

}  // namespace

std::array<std::uint8_t, kWavHeaderBytes> wavHeader(std::uint32_t sampleCount,
                                                    std::uint32_t sampleRate, int channels) {
    const std::uint32_t dataBytes = sampleCount * 2;
    const auto blockAlign = static_cast<std::uint32_t>(channels) * 2;
    std::array<std::uint8_t, kWavHeaderBytes> h{};
    std::uint8_t* p = h.data();
    std::copy_n("RIFF", 4, p);
    put32(p + 4, 36 + dataBytes);
    std::copy_n("WAVEfmt ", 8, p + 8);
    put32(p + 16, 16);  // format chunk size
    put16(p + 20, 1);   // PCM
    put16(p + 22, static_cast<std::uint32_t>(channels));
    put32(p + 24, sampleRate);
    put32(p + 28, sampleRate * blockAlign);
    put16(p + 32, blockAlign);
    put16(p + 34, 16);
    std::copy_n("data", 4, p + 36);
    put32(p + 40, dataBytes);
    return h;
}

bool writeWavFile(const std::filesystem::path& path, std::span<const std::int16_t> samples,
                  std::uint32_t sampleRate, int channels) {
    std::ofstream out(path, std::ios::binary);
    if (!out) return false;
    const auto header = wavHeader(static_cast<std::uint32_t>(samples.size()), sampleRate, channels);
    out.write(reinterpret_cast<const char*>(header.data()), header.size());
    for (std::int16_t s : samples) {
        const auto u = static_cast<std::uint16_t>(s);
        const char bytes[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        out.write(bytes, 2);
    }
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace kestrel
