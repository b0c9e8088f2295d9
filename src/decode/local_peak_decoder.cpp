#include "decode/local_peak_decoder.h"

#include <algorithm>
#include <cmath>

#include "decode/pulse_level.h"

namespace kestrel {
namespace {

constexpr int kNewest = kEnvelopeWindow - kDecodeBlock;  // 2048
constexpr int kFirstDecided = 1496;
constexpr int kLastEntry = kEnvelopeWindow - 1;
constexpr int kGapWalkEnd = 2516;  // keeps the 44-entry maximum after a gap inside the window
constexpr int kPeakSpan = 44;      // a pulse shorter than this also looks at its neighbour
constexpr int kMarkBackLimit = 500;
constexpr int kSpaceBackLimit = 1000;
constexpr double kMarkLocalFactor = 0.98;
constexpr double kSpaceLocalFactor = 0.99;
constexpr double kLocalPeakFromSnr = 7.0;

struct Window {
    int first;
    int last;     // inclusive
    int code;     // measurePulseLevel window code
    int offFrom;  // off-level neighbourhood of position p: p + offFrom .. p + offTo
    int offTo;
};
// W3 stops two short of the newest entry and looks only backwards for its off-level.
constexpr std::array<Window, 3> kWindows{
    {{896, 1663, 3, -16, 15}, {1408, 2175, 2, -16, 15}, {1920, 2557, 1, -32, -1}}};

constexpr double kSpaceFactor = 0.966;
constexpr double kMarkFactor = 0.939;
constexpr double kMarkLongFactor = 0.968;
constexpr double kOffLevelScale = 2.8;

double rangeMax(const EnvelopeWindow& env, int first, int last) {
    return *std::max_element(env.begin() + first, env.begin() + last + 1);
}

double magnitude(double i, double q) {
    return std::sqrt(i * i + q * q);
}

// The space channel's level when off: 2.8 times the quietest local maximum in the
// window, but not above the window's maximum.
double offLevel(const EnvelopeWindow& env, const Window& w, double spaceMax) {
    double quietest = rangeMax(env, w.first + w.offFrom, w.first + w.offTo);
    for (int p = w.first + 1; p <= w.last; ++p) {
        quietest = std::min(quietest, rangeMax(env, p + w.offFrom, p + w.offTo));
    }
    return std::min(kOffLevelScale * quietest, spaceMax);
}

// Weighting of the interpolated levels against the middle window, from the S/N.
double levelWeight(double snr) {
    if (snr > 12.0) return 0.65;
    if (snr > 7.0) return 0.75;
    if (snr > 5.0) return 0.9;
    return 1.0;
}

double blockThreshold(const std::array<double, 3>& level, int j, double g) {
    return (g * ((kDecodeBlock - j) * level[0] + j * level[2]) / 128.0 + level[1]) /
           (2.0 * (g + 1.0));
}

// Index of the first entry at or above t walking back from k over entries below t,
// no further back than i - backLimit.
int gapStartBack(const EnvelopeWindow& env, int i, int k, double t, int backLimit) {
    while (k > 0 && i - k < backLimit && env[k] < t) --k;
    return k;
}

int gapEndForward(const EnvelopeWindow& env, int k, double t) {
    while (k < kGapWalkEnd && env[k] < t) ++k;
    return std::min(k, kGapWalkEnd);
}

// The peak before entry i: the peak of the pulse i is in and, when that pulse began
// less than 44 entries ago, of the pulse before it; inside a gap, the pulse before it.
double peakBefore(const EnvelopeWindow& env, int i, double t, int backLimit) {
    if (env[i] <= t) {
        const int k = gapStartBack(env, i, i, t, backLimit);
        return rangeMax(env, k - (kPeakSpan - 1), k);
    }
    double peak = env[i];
    int n = 0;
    while (n < backLimit && env[i - n - 1] > t) {
        ++n;
        peak = std::max(peak, env[i - n]);
    }
    if (n + 1 >= kPeakSpan) return peak;
    const int k = gapStartBack(env, i, i - n - 1, t, backLimit);
    return std::max(peak, rangeMax(env, k - (kPeakSpan - 1), k));
}

double peakAfter(const EnvelopeWindow& env, int i, double t) {
    if (env[i] <= t) {
        const int k = gapEndForward(env, i, t);
        return rangeMax(env, k, k + kPeakSpan - 1);
    }
    double peak = env[i];
    int k = i;
    while (k < kLastEntry && env[k + 1] > t) {
        ++k;
        peak = std::max(peak, env[k]);
    }
    if (k - i + 1 >= kPeakSpan || k >= kLastEntry) return peak;
    const int gapEnd = gapEndForward(env, k + 1, t);
    return std::max(peak, rangeMax(env, gapEnd, gapEnd + kPeakSpan - 1));
}

}  // namespace

double localPeakThreshold(const EnvelopeWindow& env, int i, double t, int backLimit,
                          double factor) {
    return (peakBefore(env, i, t, backLimit) + peakAfter(env, i, t)) * 0.5 * factor;
}

void LocalPeakDecoder::decodeLocalPeak(const ToneFilterRings& rings) {
    const bool firstPass = frame.startPass();
    fillBlock(rings);
    windowStatistics();
    if (firstPass) {
        for (int w = 0; w < 3; ++w) {
            markLevel[w] = frame.peaks[3 * w];
            spaceLevel[w] = frame.peaks[3 * w + 1];
        }
    }
    measureLevels();
    for (int j = 0; j < kDecodeBlock; ++j) decideSample(j);
}

void LocalPeakDecoder::fillBlock(const ToneFilterRings& rings) {
    for (int k = 0; k < kDecodeBlock; ++k) {
        const int r = rings.decodeStart + k;
        frame.markEnv[kNewest + k] = magnitude(rings.markI[r], rings.markQ[r]);
        frame.spaceEnv[kNewest + k] = magnitude(rings.spaceI[r], rings.spaceQ[r]);
    }
}

void LocalPeakDecoder::windowStatistics() {
    for (int w = 0; w < 3; ++w) {
        const Window& win = kWindows[w];
        const double spaceMax = rangeMax(frame.spaceEnv, win.first, win.last);
        frame.peaks[3 * w] = rangeMax(frame.markEnv, win.first, win.last);
        frame.peaks[3 * w + 1] = spaceMax;
        frame.peaks[3 * w + 2] = offLevel(frame.spaceEnv, win, spaceMax);
    }
}

void LocalPeakDecoder::measureLevels() {
    for (int w = 0; w < 3; ++w) {
        const int code = kWindows[w].code;
        const double markMax = frame.peaks[3 * w];
        const double spaceMax = frame.peaks[3 * w + 1];
        const double off = frame.peaks[3 * w + 2];

        const double first = measurePulseLevel(frame.spaceEnv, code, kSpaceFactor * spaceMax + off,
                                               kSpaceFactor, 0.0);
        if (first > -0.5) {
            const double second =
                measurePulseLevel(frame.spaceEnv, code, first - off, kSpaceFactor, 0.0);
            if (second > -0.5) spaceLevel[w] = second;
        } else {
            spaceLevel[w] = kSpaceFactor * spaceMax;
        }

        const double firstMark = measurePulseLevel(frame.markEnv, code, kMarkFactor * markMax,
                                                   kMarkLongFactor, kMarkFactor);
        if (firstMark > -0.5) {
            const double second =
                measurePulseLevel(frame.markEnv, code, firstMark, kMarkLongFactor, kMarkFactor);
            if (second > -0.5) markLevel[w] = second;
        } else {
            markLevel[w] = kMarkFactor * markMax;
        }
    }
}

void LocalPeakDecoder::decideSample(int j) {
    const int i = kFirstDecided + j;
    const double snr = framing_.snrFigure();
    const double g = levelWeight(snr);
    frame.markThreshold[0] = blockThreshold(markLevel, j, g);
    frame.spaceThreshold[0] = blockThreshold(spaceLevel, j, g);
    frame.markThreshold[1] = localPeakThreshold(frame.markEnv, i, frame.markThreshold[1],
                                                kMarkBackLimit, kMarkLocalFactor);
    frame.spaceThreshold[1] = localPeakThreshold(frame.spaceEnv, i, frame.spaceThreshold[1],
                                                 kSpaceBackLimit, kSpaceLocalFactor);

    // The threshold in use sits halfway between the signal-derived value and the floor.
    const int slot = snr < kLocalPeakFromSnr ? 0 : 1;
    frame.thresholdSlot = slot;
    double& tM = frame.markThreshold[slot];
    double& tS = frame.spaceThreshold[slot];
    if (tM >= frame.markFloor) tM = (tM + frame.markFloor) * 0.5;
    if (tS >= frame.spaceFloor) tS = (tS + frame.spaceFloor) * 0.5;

    const double dM = frame.markEnv[i] - tM;
    const double dS = frame.spaceEnv[i] - tS;
    frame.markExcess = dM;
    frame.spaceExcess = dS;
    frame.powerDiff =
        dM * std::abs(dM) * tM / frame.markFloor - dS * std::abs(dS) * tS / frame.spaceFloor;
    frame.rawSpace = frame.powerDiff < 0.0 ? 1 : 0;
    frame.sampleIndex = i;
    frame.updateFloors(framing_.frameSample(frame));
}

}  // namespace kestrel
