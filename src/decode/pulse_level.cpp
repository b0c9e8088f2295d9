#include "decode/pulse_level.h"

#include <array>
#include <cmath>

namespace kestrel {
namespace {

constexpr int kMaxPulses = 9;
constexpr int kShortestPulse = 37;
constexpr int kMinScan = 496;  // the scan covers at least this many entries

// The largest index in 1..s whose entry is below half; 0 when there is none.
int scanStart(const EnvelopeWindow& env, int s, double half) {
    for (int k = s; k >= 1; --k) {
        if (env[k] < half) return k;
    }
    return 0;
}

// The first index from a + 496 up to 2558 whose entry is below half; 2559 if none.
int scanEnd(const EnvelopeWindow& env, int a, double half) {
    for (int k = a + kMinScan; k <= kEnvelopeWindow - 2; ++k) {
        if (env[k] < half) return k;
    }
    return kEnvelopeWindow - 1;
}

// Applies the length rules to a pulse's peak; false when the pulse is too short.
bool acceptPulse(int length, double& peak, double longFactor, double midFactor) {
    if (length < kShortestPulse) return false;
    if (midFactor == 0.0) {
        if (length > 96) peak *= longFactor;
        return true;
    }
    if (length >= 85 && length <= 113) peak *= midFactor;
    if (length > 112) peak *= longFactor;
    return true;
}

}  // namespace

double measurePulseLevel(const EnvelopeWindow& env, int windowCode, double reference,
                         double longFactor, double midFactor) {
    const double half = 0.5 * reference;
    const int a = scanStart(env, (5 - windowCode) * 512, half);
    const int b = scanEnd(env, a, half);

    // Ten slots: nine counted pulses and one that is filled and reset once nine are in.
    std::array<double, kMaxPulses + 1> slots{};
    int n = 0;
    int count = 0;
    int pulseStart = -1;  // -1: no pulse open
    for (int k = a; k < b; ++k) {
        const double x = env[k];
        if (x >= half && pulseStart < 0) pulseStart = k;
        if (pulseStart < 0) continue;
        if (x > slots[n]) slots[n] = x;
        if (x > half) continue;
        if (!acceptPulse(k - pulseStart, slots[n], longFactor, midFactor)) {
            slots[n] = 0.0;  // stays open from its first entry: merges with what follows
            continue;
        }
        if (count < kMaxPulses) {
            ++count;
            ++n;
        }
        slots[n] = 0.0;
        pulseStart = -1;
    }
    if (count == 0) return -1.0;
    double sumSquares = 0.0;
    for (int k = 0; k < count; ++k) sumSquares += slots[k] * slots[k];
    return std::sqrt(sumSquares / count);
}

}  // namespace kestrel
