#include "decode/envelope_threshold_decoder.h"

#include <algorithm>
#include <cmath>

#include "decode/pulse_level.h"

namespace kestrel {
namespace {

constexpr int kNewest = kEnvelopeWindow - kDecodeBlock;  // 2048: first entry of the new block
constexpr int kFirstDecided = 1516;  // trails the newest entry by 532..1043 samples

struct Window {
    int first;
    int last;  // inclusive
    int code;  // measurePulseLevel window code
};
constexpr std::array<Window, 3> kWindows{{{896, 1663, 3}, {1408, 2175, 2}, {1920, 2559, 1}}};

constexpr double kMarkDecay = 0.939;
constexpr double kSpaceDecay = 0.966;
constexpr double kMarkLongFactor = 0.968;
constexpr double kFloorFall = 0.9;

double windowMax(const EnvelopeWindow& env, const Window& w) {
    return *std::max_element(env.begin() + w.first, env.begin() + w.last + 1);
}

double magnitude(double i, double q) {
    return std::sqrt(i * i + q * q);
}

// The threshold glides from the W1 level to the W3 level across the block with the W2
// level as a fixed share, and is lifted by the noise floor.
double glidingThreshold(const std::array<double, 3>& level, int j, double floor) {
    const double glide = ((kDecodeBlock - j) * level[0] + j * level[2]) / 128.0;
    return 0.8 * ((level[1] + glide) / 8.0 + 0.5 * floor);
}

}  // namespace

void EnvelopeThresholdDecoder::decodeEnvelopeThreshold(const ToneFilterRings& rings) {
    const bool firstPass = frame.startPass();
    fillBlock(rings);
    holdPeaks();
    if (firstPass) {
        std::copy_n(frame.peaks.begin(), 3, markLevel.begin());
        std::copy_n(frame.peaks.begin() + 3, 3, spaceLevel.begin());
    }
    measureLevels();
    decideBlock();
}

void EnvelopeThresholdDecoder::fillBlock(const ToneFilterRings& rings) {
    for (int k = 0; k < kDecodeBlock; ++k) {
        const int r = rings.decodeStart + k;
        const double mark = magnitude(rings.markI[r], rings.markQ[r]);
        const double space = magnitude(rings.spaceI[r], rings.spaceQ[r]);
        frame.markEnv[kNewest + k] = smoother_.spreadSmoother(mark, 0, framing_.snrFigure());
        frame.spaceEnv[kNewest + k] = smoother_.spreadSmoother(space, 1, framing_.snrFigure());
    }
}

// Window peaks are held and decay towards the noise floor; the floors only fall here,
// once the signal has gone below them.
void EnvelopeThresholdDecoder::holdPeaks() {
    auto* markPeak = frame.peaks.data();
    auto* spacePeak = frame.peaks.data() + 3;
    for (int w = 0; w < 3; ++w) {
        markPeak[w] = std::max(markPeak[w], windowMax(frame.markEnv, kWindows[w]));
        spacePeak[w] = std::max(spacePeak[w], windowMax(frame.spaceEnv, kWindows[w]));
    }
    auto exceedsAll = [](double floor, const double* peak) {
        return floor > peak[0] && floor > peak[1] && floor > peak[2];
    };
    if (exceedsAll(frame.spaceFloor, spacePeak)) frame.spaceFloor *= kFloorFall;
    if (exceedsAll(frame.markFloor, markPeak)) frame.markFloor *= kFloorFall;
    for (int w = 0; w < 3; ++w) {
        markPeak[w] = (markPeak[w] * kMarkDecay + frame.markFloor) * 0.5;
        spacePeak[w] = (spacePeak[w] * kSpaceDecay + frame.spaceFloor) * 0.5;
    }
}

void EnvelopeThresholdDecoder::measureLevels() {
    for (int w = 0; w < 3; ++w) {
        const int code = kWindows[w].code;
        const double spacePeak = frame.peaks[3 + w];
        const double first = measurePulseLevel(frame.spaceEnv, code, spacePeak, kSpaceDecay, 0.0);
        if (first > -0.5) {
            const double second = measurePulseLevel(frame.spaceEnv, code, first, kSpaceDecay, 0.0);
            if (second > -0.5) spaceLevel[w] = second;
        } else {
            spaceLevel[w] = spacePeak;
        }

        const double markPeak = frame.peaks[w];
        const double mark =
            measurePulseLevel(frame.markEnv, code, markPeak, kMarkLongFactor, kMarkDecay);
        markLevel[w] = mark > -0.5 ? mark : markPeak;
    }
}

void EnvelopeThresholdDecoder::decideBlock() {
    frame.thresholdSlot = 0;
    for (int j = 0; j < kDecodeBlock; ++j) {
        const int i = kFirstDecided + j;
        frame.markThreshold[0] = glidingThreshold(markLevel, j, frame.markFloor);
        frame.spaceThreshold[0] = glidingThreshold(spaceLevel, j, frame.spaceFloor);
        const double m = frame.markEnv[i];
        const double s = frame.spaceEnv[i];
        frame.markExcess = m - frame.markThreshold[0];
        frame.spaceExcess = s - frame.spaceThreshold[0];
        frame.powerDiff = m * std::abs(m) - s * std::abs(s);
        frame.rawSpace = frame.powerDiff < 0.0 ? 1 : 0;
        frame.sampleIndex = i;
        frame.updateFloors(framing_.frameSample(frame));
    }
}

}  // namespace kestrel
