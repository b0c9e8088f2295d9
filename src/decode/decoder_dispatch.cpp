#include "decode/decoder_dispatch.h"

namespace kestrel {

DecoderDispatch::DecoderDispatch(const ModemState& state, Framing& framing, FilterDesign design)
    : smoother(state, design),
      envelopeThreshold(framing, smoother),
      localPeak(framing),
      state_(state) {}

void DecoderDispatch::decodeDispatch(int d, ToneFilterRings& rings) {
    if (state_.txState.load(std::memory_order_relaxed) >= kTxSending) return;  // deaf while sending
    if (d == kDecodeBlock) {
        rings.decodeStart = 0;
    } else if (d == 0) {
        rings.decodeStart = kDecodeBlock;
    } else {
        return;
    }
    if (state_.Decodemode.load(std::memory_order_relaxed) == kDecodeSelectiv) {
        localPeak.decodeLocalPeak(rings);
    } else {
        envelopeThreshold.decodeEnvelopeThreshold(rings);
    }
}

}  // namespace kestrel
