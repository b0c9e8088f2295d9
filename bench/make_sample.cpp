// Makes the bundled recording samples/sample.wav and its text samples/sample.txt: a
// contest exchange sent by minimodem at 45.45 baud on 2125/2295 Hz, passed through CCIR
// moderate fading and white noise, 12000 samples/s mono, with a second of noise before
// and after. Fixed seeds: the same file every time.
//
//   make_sample [OUTPUT_DIR [SNR_DB]]     (defaults: samples, 8 dB)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "lab/lab.h"

using namespace kestrel::lab;

int main(int argc, char** argv) {
    const std::filesystem::path dir = argc > 1 ? argv[1] : "samples";
    const double snrDb = argc > 2 ? std::atof(argv[2]) : 8.0;
    constexpr int kRate = 12000;
    constexpr double kSignalRms = 4000.0;

    const Audio clean = scaledToRms(minimodemTransmit(kContestText, 45.45, kRate), kSignalRms);
    Audio audio = padded(watterson(clean, kCcirModerate, 2026), 1.0, 1.0);
    addNoise(audio, kSignalRms * kSignalRms, snrDb, 4711);
    std::filesystem::create_directories(dir);
    const std::size_t clipped = writeWav(dir / "sample.wav", limitedToPeak(audio, 32000.0));
    std::ofstream(dir / "sample.txt", std::ios::binary) << kContestText;
    std::printf("%s: %.1f s, %s, SNR %.1f dB in 3 kHz, %zu samples clipped\n",
                (dir / "sample.wav").string().c_str(), audio.seconds(), kCcirModerate.name, snrDb,
                clipped);
    return 0;
}
