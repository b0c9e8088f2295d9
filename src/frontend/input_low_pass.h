#pragma once
// The low-pass that live audio passes on its way from the capture rate reduction into
// the front end: 127 taps at 12000 samples/s (scaled with the processing rate).
#include "frontend/filter_design.h"
#include "frontend/mirrored_ring.h"

namespace kestrel {

struct InputLowPass {
    // Takes one sample and returns the filtered one.
    double inputLowPass(double x);

    static constexpr int kLineLength = 128;  // the 127-sample delay line, one slot spare
    MirroredRing<kLineLength> line;
    int newest = 0;
};

}  // namespace kestrel
