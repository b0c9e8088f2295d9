// How soon each decode mode prints the last character of a line after its stop element
// has ended: a transmission that ends with the line ("... K", unkeyed after the K), at
// +10 dB, 45.45 baud. The K's last data element is space, so the end of the last space in
// the clean signal, plus one and a half elements of stop, is the end of its stop element.
// Prints Markdown for docs/benchmarks.md.
//
//   receive_latency [FILES]
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "frontend/spectrum_view.h"
#include "lab/lab.h"
#include "platform/logger_codes.h"

using namespace kestrel;
using namespace kestrel::lab;

namespace {

// Seconds from the start of the audio to the end of the last element sent on space.
double lastSpaceEnd(const Audio& a, Tones tones) {
    const std::size_t window = 66;  // a quarter element at 12000 samples/s
    auto energy = [&](double hz, std::size_t from) {
        std::complex<double> sum;
        for (std::size_t n = from; n < from + window; ++n)
            sum += a.samples[n] * std::polar(1.0, -2.0 * std::numbers::pi * hz * n / a.rate);
        return std::norm(sum);
    };
    std::size_t last = 0;
    for (std::size_t n = 0; n + window < a.samples.size(); n += 4)
        if (energy(tones.space, n) > 4.0 * energy(tones.mark, n) + 1.0) last = n + window / 2;
    return static_cast<double>(last) / a.rate;
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 10;
    const std::string line = "\r\nCQ TEST DE W1AW W1AW K";
    const double baud = 45.45;
    const Audio clean = scaledToRms(minimodemTransmit(line, baud, 12000), kMeasureRms);
    constexpr double kBefore = 1.0;
    const double stopEnd = kBefore + lastSpaceEnd(clean, Tones{}) + 1.5 / baud;
    const Audio sent = padded(clean, kBefore, 1.5);

    std::printf("| mode | latency, mean | latency, largest | printed |\n|---|---:|---:|---:|\n");
    for (int m = 0; m < kDecodeModes; ++m) {
        double sum = 0.0, largest = 0.0;
        int printed = 0;
        for (int f = 0; f < files; ++f) {
            Audio audio = sent;
            addNoise(audio, kMeasureRms * kMeasureRms, 10.0, 500 + f);
            KestrelSettings s;
            s.baud = baud;
            s.mode = static_cast<DecodeMode>(m);
            const KestrelResult r = kestrelDecode(limitedToPeak(audio, 32000.0), s);
            // The line's last character, the K after the second call: the noise after the
            // line may print a K of its own (squelch off), which is not the line's.
            std::string text;
            std::vector<std::uint64_t> at;
            for (const auto& p : r.posts) {
                if (p.code != TXM_CHAR) continue;
                text += static_cast<char>(p.value);
                at.push_back(p.sample);
            }
            const std::string end = "W1AW W1AW K";
            const std::size_t found = text.find(end);
            if (found == std::string::npos) continue;
            const double latency =
                static_cast<double>(at[found + end.size() - 1]) / r.sampleRate - stopEnd;
            sum += latency;
            largest = std::max(largest, latency);
            ++printed;
        }
        std::printf("| %s | %.0f ms | %.0f ms | %d of %d |\n", decodeModeText(m).data(),
                    printed ? 1000.0 * sum / printed : 0.0, 1000.0 * largest, printed, files);
    }
    return 0;
}
