// Receive throughput in seconds of audio per second of processing, per decode mode and
// speed: Kestrel's chain in-process, kestrel-cli decode on a file, and minimodem on the
// same file, all in the same run. Prints Markdown for docs/benchmarks.md.
//
//   receive_speed [PATH_TO_KESTREL_CLI] [SECONDS_OF_AUDIO]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "frontend/spectrum_view.h"
#include "lab/lab.h"

using namespace kestrel;
using namespace kestrel::lab;

namespace {

// Best of three wall-clock times of job, in seconds.
double bestTime(const std::function<void()>& job) {
    double best = 1e30;
    for (int k = 0; k < 3; ++k) {
        const auto start = std::chrono::steady_clock::now();
        job();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path self = std::filesystem::absolute(argv[0]);
    const std::string cli = argc > 1 && *argv[1]
                                ? argv[1]
                                : (self.parent_path().parent_path() / "kestrel-cli").string();
    const double wanted = argc > 2 ? std::atof(argv[2]) : 120.0;

    std::printf(
        "| baud | mode | in-process | kestrel-cli | minimodem |\n|---|---|---:|---:|---:|\n");
    for (const double baud : {45.45, 50.0, 75.0}) {
        // A contest text repeated to the wanted length, at the processing rate, 10 dB SNR.
        const int rate = sampleRateFor(baud);
        Audio clean = minimodemTransmit(kContestText, baud, rate);
        Audio audio{rate, {}};
        while (audio.seconds() < wanted)
            audio.samples.insert(audio.samples.end(), clean.samples.begin(), clean.samples.end());
        audio = scaledToRms(audio, 4000.0);
        addNoise(audio, 4000.0 * 4000.0, 10.0, 99);
        const auto path = tempWavPath("speed");
        writeWav(path, limitedToPeak(audio, 32000.0));
        char baudText[16];
        std::snprintf(baudText, sizeof baudText, "%g", baud);
        const double peer = bestTime([&] {
            shell("minimodem --rx -q -b 5 --baudot --stopbits 1.5 -M 2125 -S 2295 -f '" +
                  path.string() + "' " + baudText + " >/dev/null 2>&1");
        });
        for (int m = 0; m < kDecodeModes; ++m) {
            const auto mode = static_cast<DecodeMode>(m);
            KestrelSettings s;
            s.baud = baud;
            s.mode = mode;
            const double inProcess = bestTime([&] { kestrelDecode(audio, s); });
            std::string name(decodeModeText(mode));
            std::transform(name.begin(), name.end(), name.begin(), ::tolower);
            const double asCli = bestTime([&] {
                shell("'" + cli + "' decode --baud " + baudText + " --mode " + name + " '" +
                      path.string() + "' >/dev/null");
            });
            std::printf("| %g | %s | %.0f | %.0f | %.0f |\n", baud,
                        std::string(decodeModeText(mode)).c_str(), audio.seconds() / inProcess,
                        audio.seconds() / asCli, audio.seconds() / peer);
            std::fflush(stdout);
        }
        std::filesystem::remove(path);
    }
    return 0;
}
