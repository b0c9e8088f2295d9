#include "frontend/afc.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>
#include <utility>

#include "frontend/filter_design.h"
#include "frontend/fir.h"

namespace kestrel {
namespace {

constexpr int kLevelSpan = 253;         // magnitudes behind each level refresh
constexpr int kAfcFilterSpan = 512;     // the 511 taps with a zero on the oldest slot
constexpr int kStartBitMarkLimit = 8;   // a ninth mark sample rejects the start bit
constexpr double kMeanStepLimit = 5.0;  // radians per decimated sample

const std::array<double, kAfcFilterSpan>& paddedAfcFilter() {
    static const auto taps = [] {
        std::array<double, kAfcFilterSpan> t{};
        std::copy(afcFilter().begin(), afcFilter().end(), t.begin() + 1);
        return t;
    }();
    return taps;
}

// The trimmed mean of the nine phase steps, limited to ±5 radians.
double trimmedMean(const std::array<double, 9>& steps) {
    const auto [low, high] = std::minmax_element(steps.begin(), steps.end());
    const double sum = std::accumulate(steps.begin(), steps.end(), 0.0);
    return std::clamp((sum - *low - *high) / 7.0, -kMeanStepLimit, kMeanStepLimit);
}

// Large drifts are followed fast, small ones gently.
double scaledStep(double m) {
    const double size = std::fabs(m);
    if (size > 1.0) return 10.0 * m;
    if (size > 0.5) return 5.0 * m;
    if (size > 0.25) return 3.0 * m;
    if (size > 0.05) return 2.0 * m;
    if (size > 0.03) return 1.5 * m;
    if (size > 0.01) return 0.5 * m;
    return m;
}

// Smallest and largest of n values (n at least 4), in four lanes so the loop vectorises.
std::pair<double, double> spanOf(const double* values, int n) {
    double low[4], high[4];
    for (int l = 0; l < 4; ++l) low[l] = high[l] = values[l];
    int k = 4;
    for (; k + 4 <= n; k += 4) {
        for (int l = 0; l < 4; ++l) {
            low[l] = values[k + l] < low[l] ? values[k + l] : low[l];
            high[l] = values[k + l] > high[l] ? values[k + l] : high[l];
        }
    }
    for (; k < n; ++k) {
        low[0] = std::min(low[0], values[k]);
        high[0] = std::max(high[0], values[k]);
    }
    return {std::min(std::min(low[0], low[1]), std::min(low[2], low[3])),
            std::max(std::max(high[0], high[1]), std::max(high[2], high[3]))};
}

}  // namespace

void Afc::afcStep(double x) {
    const double rate = state_.sampleRate.load();
    mixer_.mix(x, (state_.markFrequency.load() - state_.markOffset.load()) / rate,
               (state_.spaceFrequency.load() - state_.spaceOffset.load()) / rate,
               state_.rxReverse.load() == 1);
    if (mixer_.j % 4 != 3) {
        mixer_.advanceMixer();
        return;
    }
    mixer_.decimate();
    const int d = mixer_.d;
    filterAndMeasure(d);
    if (d % 3 == 0) refreshLevels(d);
    afcCharacterStep(pair1Stronger(d), d);
    mixer_.advanceDecimated();
    mixer_.advanceMixer();
}

void Afc::filterAndMeasure(int d) {
    const double* windows[4];
    for (int r = 0; r < 4; ++r) windows[r] = mixer_.decimated[r].window(d, kAfcFilterSpan);
    double out[4];
    firDot4(paddedAfcFilter().data(), windows, kAfcFilterSpan, out);
    for (int r = 0; r < 4; ++r) filtered_[r][d] = out[r];
    for (int p = 0; p < 2; ++p) {
        magnitude_[p].put(d, std::sqrt(filtered_[2 * p][d] * filtered_[2 * p][d] +
                                       filtered_[2 * p + 1][d] * filtered_[2 * p + 1][d]));
    }
}

void Afc::refreshLevels(int d) {
    std::array<double, 2> largest{}, smallest{};
    for (int p = 0; p < 2; ++p) {
        std::tie(smallest[p], largest[p]) = spanOf(magnitude_[p].window(d, kLevelSpan), kLevelSpan);
    }
    // The 0.97 stands on the peak for pair 0 and on the old level for pair 1.
    level_[0] = ((0.97 * largest[0] + smallest[0]) / 2.0 + level_[0]) / 2.0;
    level_[1] = ((largest[1] + smallest[1]) / 2.0 + 0.97 * level_[1]) / 2.0;
}

bool Afc::pair1Stronger(int d) const {
    const double m0 = magnitude_[0][d];
    const double m1 = magnitude_[1][d];
    if (state_.Decodemode.load() != kDecodeSelectiv) return m0 - m1 < 0.0;
    const double e0 = m0 - level_[0];
    const double e1 = m1 - level_[1];
    return e0 * std::fabs(e0) - e1 * std::fabs(e1) < 0.0;
}

void Afc::afcCharacterStep(bool stronger1, int d) {
    advanceCount(stronger1);
    measureAt(afcCount_, stronger1, d);
}

void Afc::advanceCount(bool stronger1) {
    if (afcCount_ == 0) {
        if (stronger1) afcCount_ = 1;
        afcMarkRun_ = 0;
        return;
    }
    ++afcCount_;
    if (afcCount_ < kAfcStartBitMiddle + 1 && !stronger1) {
        if (afcMarkRun_ >= kStartBitMarkLimit)
            afcCount_ = 0;  // not a start bit: the next sample clears the run
        else
            ++afcMarkRun_;
    }
}

void Afc::measureAt(int count, bool stronger1, int d) {
    if (count == kAfcStartBitMiddle) {
        if (stronger1)
            updatePair(1, d);
        else
            afcCount_ = 0;
        return;
    }
    if (count >= kAfcFirstDataMiddle && count <= kAfcLastDataMiddle &&
        (count - kAfcStartBitMiddle) % kAfcBitLength == 0) {
        updatePair(stronger1 ? 1 : 0, d);
        return;
    }
    if (count == kAfcStopMeasure) {
        if (!stronger1) updatePair(0, d);
        reportTones();
        return;
    }
    if (count == kAfcCharacterEnd) afcCount_ = 0;
}

void Afc::updatePair(int p, int d) {
    afcUpdate(p, filtered_[2 * p], filtered_[2 * p + 1], d);
}

void Afc::reportTones() {
    const double average = state_.averageOffset.load();
    measurements_.afcTones(state_.markFrequency.load() - average,
                           state_.spaceFrequency.load() - average);
    if (state_.txState.load() != kTxIdle) {
        afcCount_ = 0;
        return;
    }
    measurements_.tuningOffset(
        static_cast<int>((state_.spaceOffset.load() + state_.markOffset.load()) / 2.0));
}

void Afc::afcUpdate(int p, const std::array<double, kMixerRingSize>& inPhase,
                    const std::array<double, kMixerRingSize>& quadrature, int d) {
    const int before = (d + kMixerRingSize - 1) % kMixerRingSize;
    const double step =
        std::atan2(inPhase[before], quadrature[before]) - std::atan2(inPhase[d], quadrature[d]);

    const bool reverse = state_.rxReverse.load() == 1;
    const bool isMark = (p == 0) != reverse;
    PhaseSteps& ring = isMark ? markSteps_ : spaceSteps_;
    std::atomic<double>& offset = isMark ? state_.markOffset : state_.spaceOffset;
    ring.steps[ring.index] = step;
    ring.index = (ring.index + 1) % static_cast<int>(ring.steps.size());

    const double candidate = offset.load() + 30.0 * scaledStep(trimmedMean(ring.steps));
    const double shift = std::fabs(state_.markFrequency.load() - state_.spaceFrequency.load());
    const double markOffset = state_.markOffset.load();
    const double spaceOffset = state_.spaceOffset.load();
    if (shift + kAfcOffsetLimit >= std::fabs(markOffset + spaceOffset) &&
        std::fabs(candidate) <= kAfcOffsetLimit) {
        offset.store(candidate);
    }
    state_.averageOffset.store((state_.markOffset.load() + state_.spaceOffset.load()) / 2.0);
}

}  // namespace kestrel
