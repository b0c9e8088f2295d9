#pragma once
// The pulse-level estimator both decoders use to find how strong a channel's keyed
// pulses are inside a window of envelope history.
#include "decode/decoder_frame.h"

namespace kestrel {

// The RMS of the peaks of up to nine pulses that rise above half of reference, or -1.0
// when there is none. windowCode 1, 2 or 3 sets how far back the scan may start
// (2048, 1536 or 1024 entries into the window). Pulses longer than 96 entries (or, with
// a midFactor, 112) are scaled by longFactor; with a midFactor, pulses of 85..113 are
// first scaled by it. Pulses of 36 entries or fewer merge with what follows.
double measurePulseLevel(const EnvelopeWindow& env, int windowCode, double reference,
                         double longFactor, double midFactor);

}  // namespace kestrel
