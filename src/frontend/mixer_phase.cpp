#include "frontend/mixer_phase.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace kestrel {
namespace {

constexpr int kTableSteps = 256;  // per cycle; the series covers ±half a step

const std::array<Phasor, kTableSteps> kTable = [] {
    std::array<Phasor, kTableSteps> table{};
    for (int k = 0; k < kTableSteps; ++k) {
        const double angle = 2.0 * std::numbers::pi * k / kTableSteps;
        table[k] = {std::cos(angle), std::sin(angle)};
    }
    return table;
}();

}  // namespace

Phasor phasorOfCycles(double cycles) {
    const double steps = cycles * kTableSteps;
    const double shifted = steps + 0.5;
    auto index = static_cast<std::int64_t>(shifted);
    if (static_cast<double>(index) > shifted) --index;  // floor, for negative phases
    const double nearest = static_cast<double>(index);
    // |delta| <= π/256, so the series below are exact to well under one part in 1e16.
    const double delta = (steps - nearest) * (2.0 * std::numbers::pi / kTableSteps);
    const double d2 = delta * delta;
    const double cosDelta =
        1.0 + d2 * (-1.0 / 2 + d2 * (1.0 / 24 + d2 * (-1.0 / 720 + d2 * (1.0 / 40320))));
    const double sinDelta = delta * (1.0 + d2 * (-1.0 / 6 + d2 * (1.0 / 120 + d2 * (-1.0 / 5040))));
    const Phasor& base = kTable[index & (kTableSteps - 1)];
    return {base.cos * cosDelta - base.sin * sinDelta, base.sin * cosDelta + base.cos * sinDelta};
}

}  // namespace kestrel
