#include "frontend/tone_mixer.h"

namespace kestrel {

void ToneMixer::mix(double x, double markStep, double spaceStep, bool reverse) {
    markPhase = advancePhase(markPhase, markStep);
    spacePhase = advancePhase(spacePhase, spaceStep);
    const Phasor pair0 = phasorOfCycles(reverse ? spacePhase : markPhase);
    const Phasor pair1 = phasorOfCycles(reverse ? markPhase : spacePhase);
    mixed[kPair0I].put(j, pair0.cos * x);
    mixed[kPair0Q].put(j, pair0.sin * x);
    mixed[kPair1I].put(j, pair1.cos * x);
    mixed[kPair1Q].put(j, pair1.sin * x);
}

void ToneMixer::decimate() {
    decimationLowPass(mixed, j, decimated, d);
}

}  // namespace kestrel
