#pragma once
// The receive chain from tone-filter outputs to text: the tone front end calls
// decodeDispatch after every decimated sample; on ring halves it runs the decoder of the
// current mode, which frames the decided samples into characters.
#include "decode/envelope_threshold_decoder.h"
#include "decode/framing.h"
#include "decode/local_peak_decoder.h"
#include "decode/spread_smoother.h"
#include "frontend/tone_filter_rings.h"
#include "modem_state.h"

namespace kestrel {

struct DecoderDispatch : DecodeDispatchSink {
    // design is the receive filter-design routine; the Spread smoother calls it once.
    DecoderDispatch(const ModemState& state, Framing& framing, FilterDesign design);

    // After ring index d has been written: on d = 512 decodes ring half 0..511, on
    // d = 0 half 512..1023. Nothing is decoded while transmitting (txState 3 or more).
    void decodeDispatch(int d, ToneFilterRings& rings) override;

    SpreadSmoother smoother;
    EnvelopeThresholdDecoder envelopeThreshold;
    LocalPeakDecoder localPeak;

  private:
    const ModemState& state_;
};

}  // namespace kestrel
