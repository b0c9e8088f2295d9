#pragma once
// Mixer phases are kept in cycles; the mixers need the cosine and sine of 2π times them
// for several signals on every sample, so they come from a small table and a short series
// instead of the library's sin and cos, to the same double precision.

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

// cos and sin of 2π·cycles.
Phasor phasorOfCycles(double cycles);

}  // namespace kestrel
