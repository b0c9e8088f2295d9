#pragma once
// The tone front end: mixers, decimation by 4 and the matched tone filter of the current
// decode mode on each of the four decimated signals, handed to the decoders one
// decimated sample at a time.
#include "frontend/tone_filter_rings.h"
#include "frontend/tone_mixer.h"
#include "modem_state.h"

namespace kestrel {

struct ToneFront {
    explicit ToneFront(const ModemState& state) : state(state) {}

    // One sample at sampleRate. Every fourth one gives a new entry in `rings` and a call
    // of the sink's decodeDispatch with its index.
    void toneFront(double x);

    const ModemState& state;
    DecodeDispatchSink* sink = nullptr;
    ToneMixer mixer;
    ToneFilterRings rings;
};

}  // namespace kestrel
