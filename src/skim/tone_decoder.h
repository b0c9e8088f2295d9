// Kestrel's own decoders (Flutter, Selectiv, Spread) for one signal of the skimmer: the
// tone filters, a decoder and the character framing, without the front end's AFC,
// spectrum and pause history, which the skimmer does once for every signal.
#pragma once

#include "modem_state.h"
#include "skim/signal_decoder.h"

namespace kestrel::skim {

// decodeMode: kDecodeFlutter, kDecodeSelectiv or kDecodeSpread.
DecoderKind toneDecoderKind(DecodeMode decodeMode);

}  // namespace kestrel::skim
