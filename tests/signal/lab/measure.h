#pragma once
// One measuring point of the receive benchmarks and tests: the same files for every
// receiver. Each file is the lead-in and the scored message, sent by minimodem at 45.45
// baud on 2125/2295 Hz at 12000 samples/s, with a second of silence before and 1.5 s
// after, through the channel, with noise at the SNR. Seeds follow from the run number and
// the SNR, so a test and the benchmark at the same point use the very same files.
#include <string>
#include <vector>

#include "lab/audio.h"
#include "lab/channel.h"
#include "lab/kestrel_receiver.h"

namespace kestrel::lab {

constexpr double kMeasureBaud = 45.45;
constexpr double kMeasureRms = 4000.0;

// The scored message of every measuring file (a contest exchange and serial numbers).
const std::string& measuredMessage();

// The files of a point; fading nullptr means white noise only.
std::vector<Audio> measuringFiles(const FadingProfile* fading, double snrDb, int runs);

// Character error rate over all the files: errors over scored characters.
double kestrelErrorRate(const std::vector<Audio>& files, DecodeMode mode);
double kestrelErrorRate(const std::vector<Audio>& files, const KestrelSettings& settings);
double minimodemErrorRate(const std::vector<Audio>& files);

}  // namespace kestrel::lab
