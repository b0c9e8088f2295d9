#include "decode/decoder_dispatch.h"

namespace kestrel {
namespace {

constexpr int kSendingCharacters = 3;  // txState from which the receiver is deaf
constexpr int kSelectivMode = 1;

}  // namespace

DecoderDispatch::DecoderDispatch(const ModemState& state, Framing& framing, FilterDesign design)
    : smoother(state, framing.snrFigure, design),
      envelopeThreshold(framing, smoother),
      localPeak(framing),
      state_(state) {}

void DecoderDispatch::decodeDispatch(int d, ToneFilterRings& rings) {
    if (state_.txState.load(std::memory_order_relaxed) >= kSendingCharacters) return;
    if (d == kDecodeBlock) {
        rings.decodeStart = 0;
    } else if (d == 0) {
        rings.decodeStart = kDecodeBlock;
    } else {
        return;
    }
    if (state_.Decodemode.load(std::memory_order_relaxed) == kSelectivMode) {
        localPeak.decodeLocalPeak(rings);
    } else {
        envelopeThreshold.decodeEnvelopeThreshold(rings);
    }
}

}  // namespace kestrel
