#include <cmath>
#include <map>

#include "lab/lab.h"

namespace kestrel::lab {

// The clean transmission, made once for each speed: minimodem is deterministic.
const Audio& measuringTransmission(double baud) {
    static std::map<double, Audio> made;
    auto [it, fresh] = made.try_emplace(baud);
    if (fresh)
        it->second = padded(
            scaledToRms(minimodemTransmit(kLeadIn + measuredMessage(), baud, sampleRateFor(baud)),
                        kMeasureRms),
            1.0, 1.5);
    return it->second;
}

namespace {

template <typename Decode>
double errorRate(const std::vector<Audio>& files, Decode decode) {
    std::size_t errors = 0, characters = 0;
    for (const Audio& audio : files) {
        errors += messageErrors(measuredMessage(), decode(audio));
        characters += normaliseText(measuredMessage()).size();
    }
    return characters == 0 ? 0.0 : static_cast<double>(errors) / characters;
}

}  // namespace

const std::string& measuredMessage() {
    static const std::string message = std::string(kContestText) + (kSerialText + 2);
    return message;
}

std::vector<Audio> measuringFiles(const FadingProfile* fading, double snrDb, int runs,
                                  double baud) {
    std::vector<Audio> files;
    for (int run = 0; run < runs; ++run) {
        const auto seed = static_cast<std::uint64_t>(1000 * run + std::lround(10 * (snrDb + 50)));
        Audio audio = fading ? watterson(measuringTransmission(baud), *fading, seed)
                             : measuringTransmission(baud);
        addNoise(audio, kMeasureRms * kMeasureRms, snrDb, seed + 7);
        files.push_back(limitedToPeak(audio, 32000.0));
    }
    return files;
}

double kestrelErrorRate(const std::vector<Audio>& files, DecodeMode mode, double baud) {
    KestrelSettings settings;
    settings.baud = baud;
    settings.mode = mode;
    return kestrelErrorRate(files, settings);
}

double kestrelErrorRate(const std::vector<Audio>& files, const KestrelSettings& settings) {
    return errorRate(files, [&](const Audio& a) { return kestrelDecode(a, settings).text; });
}

double minimodemErrorRate(const std::vector<Audio>& files, double baud) {
    return errorRate(files, [baud](const Audio& a) {
        const auto path = tempWavPath("measure");
        writeWav(path, a);
        std::string text = minimodemReceive(path, baud);
        std::filesystem::remove(path);
        return text;
    });
}

}  // namespace kestrel::lab
