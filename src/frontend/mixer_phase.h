#pragma once
// Mixer phases are kept in cycles; the mixers need the cosine and sine of 2π times them
// for several signals on every sample, so they come from a small table and a short series
// instead of the library's sin and cos, to the same double precision.
#include <array>
#include <cstdint>
#include <numbers>

namespace kestrel {

// Advances a mixer phase, in cycles, by `step`, keeping it below one cycle.
inline double advancePhase(double phase, double step) {
    phase += step;
    return phase >= 1.0 ? phase - 1.0 : phase;
}

struct Phasor {
    double cos;
    double sin;
};

constexpr int kPhasorTableSteps = 256;  // per cycle; the series covers ±half a step
extern const std::array<Phasor, kPhasorTableSteps> phasorTable;

// cos and sin of 2π·cycles.
inline Phasor phasorOfCycles(double cycles) {
    const double steps = cycles * kPhasorTableSteps;
    const double shifted = steps + 0.5;
    auto index = static_cast<std::int64_t>(shifted);
    if (static_cast<double>(index) > shifted) --index;  // floor, for negative phases
    // |delta| <= π/256: the first omitted terms are below 1e-17.
    const double delta =
        (steps - static_cast<double>(index)) * (2.0 * std::numbers::pi / kPhasorTableSteps);
    const double d2 = delta * delta;
    const double cosDelta = 1.0 + d2 * (-1.0 / 2 + d2 * (1.0 / 24 + d2 * (-1.0 / 720)));
    const double sinDelta = delta * (1.0 + d2 * (-1.0 / 6 + d2 * (1.0 / 120)));
    const Phasor& base = phasorTable[index & (kPhasorTableSteps - 1)];
    return {base.cos * cosDelta - base.sin * sinDelta, base.sin * cosDelta + base.cos * sinDelta};
}

}  // namespace kestrel
