#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <numbers>
#include <numeric>
#include <stdexcept>
#include <string>

#include "audio_in/wav_file.h"
#include "lab/lab.h"

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace kestrel::lab {

Audio readWav(const std::filesystem::path& path) {
    WavToPlay file;
    if (const char* message = openWavToPlay(path, file))
        throw std::runtime_error(path.string() + ": " + message);
    Audio audio;
    audio.rate = file.layout.sampleRate;
    std::vector<std::uint8_t> bytes(2 * file.layout.sampleCount);
    bytes.resize(file.source->readAt(file.layout.dataOffset, bytes));
    audio.samples.resize(bytes.size() / 2);
    for (std::size_t k = 0; k < audio.samples.size(); ++k)
        audio.samples[k] = static_cast<std::int16_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8));
    return audio;
}

std::size_t writeWav(const std::filesystem::path& path, const Audio& audio) {
    std::vector<std::int16_t> pcm(audio.samples.size());
    std::size_t clipped = 0;
    for (std::size_t k = 0; k < pcm.size(); ++k) {
        const double r = std::round(audio.samples[k]);
        if (r > 32767.0 || r < -32768.0) ++clipped;
        pcm[k] = static_cast<std::int16_t>(std::clamp(r, -32768.0, 32767.0));
    }
    if (!writeWavFile(path, pcm, static_cast<std::uint32_t>(audio.rate), 1))
        throw std::runtime_error("cannot write " + path.string());
    return clipped;
}

double meanSquare(const Audio& audio) {
    if (audio.samples.empty()) return 0.0;
    return std::inner_product(audio.samples.begin(), audio.samples.end(), audio.samples.begin(),
                              0.0) /
           static_cast<double>(audio.samples.size());
}

Audio scaledToRms(const Audio& audio, double rms) {
    Audio out = audio;
    const double now = std::sqrt(meanSquare(audio));
    if (now > 0.0)
        for (double& x : out.samples) x *= rms / now;
    return out;
}

Audio padded(const Audio& audio, double before, double after) {
    Audio out;
    out.rate = audio.rate;
    out.samples.assign(static_cast<std::size_t>(std::lround(before * audio.rate)), 0.0);
    out.samples.insert(out.samples.end(), audio.samples.begin(), audio.samples.end());
    out.samples.resize(
        out.samples.size() + static_cast<std::size_t>(std::lround(after * audio.rate)), 0.0);
    return out;
}

Audio afterCarrier(const Audio& audio, double seconds, double hz, double rms) {
    Audio out;
    out.rate = audio.rate;
    const auto length = static_cast<std::size_t>(std::lround(seconds * audio.rate));
    for (std::size_t i = 0; i < length; ++i)
        out.samples.push_back(
            rms * std::sqrt(2.0) *
            std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) / audio.rate));
    out.samples.insert(out.samples.end(), audio.samples.begin(), audio.samples.end());
    return out;
}

Audio limitedToPeak(const Audio& audio, double peak) {
    double largest = 0.0;
    for (const double x : audio.samples) largest = std::max(largest, std::abs(x));
    if (largest <= peak) return audio;
    Audio out = audio;
    for (double& x : out.samples) x *= peak / largest;
    return out;
}

std::filesystem::path tempWavPath(const char* stem) {
    static std::atomic<int> counter{0};
    return std::filesystem::temp_directory_path() /
           (std::string("kestrel_") + stem + "_" + std::to_string(getpid()) + "_" +
            std::to_string(counter++) + ".wav");
}

}  // namespace kestrel::lab
