// The skimmer on a synthetic contest band: CPU time against audio time, each station's
// copy against the same station decoded alone in the same noise, spot recall and false
// spots, and false spots on noise alone. Prints Markdown for docs/benchmarks.md.
//
//   skim_band [RATE] [STATIONS] [SECONDS] [NOISE_SECONDS] [MODE] [BAND.wav]
// BAND.wav: the band is written there too, for kestrel-cli skim.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "frontend/spectrum_view.h"
#include "lab/lab.h"

using namespace kestrel::lab;

int main(int argc, char** argv) {
    const int rate = argc > 1 ? std::atoi(argv[1]) : 48000;
    const int count = argc > 2 ? std::atoi(argv[2]) : 20;
    const double seconds = argc > 3 ? std::atof(argv[3]) : 40;
    const double noiseSeconds = argc > 4 ? std::atof(argv[4]) : 0;
    const std::string modeName = argc > 5 ? argv[5] : "selectiv";
    const int named = kestrel::decodeModeNamed(modeName);
    const auto mode =
        static_cast<kestrel::DecodeMode>(named < 0 ? kestrel::kDecodeSelectiv : named);

    const Band band = makeBand(rate, count, seconds, 19);
    if (argc > 6) writeWav(argv[6], band.audio);
    const SkimResult all = skim(band.audio, mode);
    std::printf("## %d stations at %d samples/s, %.0f s\n\n", count, rate, seconds);
    std::printf(
        "CPU %.2f s for %.0f s of audio: %.1f%% of one core, %.2f%% per station; "
        "at most %zu channels open\n\n",
        all.cpuSeconds, seconds, 100 * all.cpuSeconds / seconds,
        100 * all.cpuSeconds / seconds / std::max(count, 1), all.mostSignals);
    std::printf(
        "| call | mark Hz | baud | SNR dB | faded | CER in band | CER alone | spotted |\n"
        "|---|---|---|---|---|---|---|---|\n");
    int wanted = 0, found = 0;
    double worst = 0;
    for (std::size_t k = 0; k < band.stations.size(); ++k) {
        const BandStation& s = band.stations[k];
        const double inBand = characterErrorRate(s.text, all.textNear(s.markHz));
        const double alone =
            characterErrorRate(s.text, skim(aloneInNoise(band, k), mode).textNear(s.markHz));
        worst = std::max(worst, inBand - alone);
        bool spotted = false;
        for (const auto& spot : all.spots)
            spotted = spotted || (spot.call == s.call && std::abs(spot.markHz - s.markHz) < 100);
        wanted += s.snrDb >= 0;
        found += spotted && s.snrDb >= 0;
        std::printf("| %s | %.0f | %.2f | %.0f | %s | %.1f%% | %.1f%% | %s |\n", s.call.c_str(),
                    s.markHz, s.baud, s.snrDb, s.faded ? "yes" : "no", 100 * inBand, 100 * alone,
                    spotted ? "yes" : "no");
    }
    int falseSpots = 0;
    for (const auto& spot : all.spots) {
        bool right = false;
        for (const auto& s : band.stations)
            right = right || (spot.call == s.call && std::abs(spot.markHz - s.markHz) < 100);
        if (!right) {
            ++falseSpots;
            std::printf("\nfalse spot: %s at %.1f Hz", spot.call.c_str(), spot.markHz);
        }
    }
    std::printf(
        "\n\nspots: %d of %d stations at 0 dB or more; %d false; worst copy %.1f CER "
        "points below alone\n",
        found, wanted, falseSpots, 100 * worst);
    if (noiseSeconds > 0) {
        const Band quiet = makeBand(rate, 0, noiseSeconds, 23, false);
        const SkimResult noise = skim(quiet.audio, mode);
        std::printf("noise alone, %.0f s: %zu spots, %zu lines, CPU %.1f%%\n", noiseSeconds,
                    noise.spots.size(), noise.lines.size(), 100 * noise.cpuSeconds / noiseSeconds);
    }
}
