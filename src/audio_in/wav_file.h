#pragma once
// RIFF/WAVE files as Kestrel writes them: a 44-byte header, then 16-bit PCM samples.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace kestrel {

constexpr std::size_t kWavHeaderBytes = 44;

// The 44-byte header of a 16-bit PCM file of `channels` interleaved channels at
// `sampleRate` holding `sampleCount` samples in all (frames times channels).
std::array<std::uint8_t, kWavHeaderBytes> wavHeader(std::uint32_t sampleCount,
                                                    std::uint32_t sampleRate, int channels);

// Writes the header and the interleaved samples; returns false when the file could not be
// written completely.
bool writeWavFile(const std::filesystem::path& path, std::span<const std::int16_t> samples,
                  std::uint32_t sampleRate, int channels);

}  // namespace kestrel
