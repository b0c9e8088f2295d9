#include "frontend/mixer_phase.h"

#include <cmath>

namespace kestrel {

const std::array<Phasor, kPhasorTableSteps> phasorTable = [] {
    std::array<Phasor, kPhasorTableSteps> table{};
    for (int k = 0; k < kPhasorTableSteps; ++k) {
        const double angle = 2.0 * std::numbers::pi * k / kPhasorTableSteps;
        table[k] = {std::cos(angle), std::sin(angle)};
    }
    return table;
}();

}  // namespace kestrel
