#pragma once
// Mono audio for the signal lab: samples as doubles in 16-bit units, with their rate.
#include <cstdint>
#include <filesystem>
#include <vector>

namespace kestrel::lab {

struct Audio {
    int rate = 12000;
    std::vector<double> samples;

    double seconds() const { return static_cast<double>(samples.size()) / rate; }
};

// Reads a mono 16-bit file through Kestrel's own WAV reader; throws std::runtime_error
// with the reader's message when the file is rejected.
Audio readWav(const std::filesystem::path& path);

// Writes a mono 16-bit PCM file at audio.rate; samples are rounded and clipped to 16 bits.
// Returns the number of samples that had to be clipped.
std::size_t writeWav(const std::filesystem::path& path, const Audio& audio);

// Mean square of the samples (the power of a signal that is present throughout).
double meanSquare(const Audio& audio);

// The audio scaled so its RMS is rms.
Audio scaledToRms(const Audio& audio, double rms);

// The audio with seconds of silence before and after it.
Audio padded(const Audio& audio, double before, double after);

// The audio scaled down, if needed, so its largest magnitude is at most peak.
Audio limitedToPeak(const Audio& audio, double peak);

// A fresh file name in the temporary directory (the file is not created).
std::filesystem::path tempWavPath(const char* stem);

}  // namespace kestrel::lab
