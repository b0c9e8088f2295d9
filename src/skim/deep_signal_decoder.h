#pragma once
// Deep for one signal of the skimmer: the signal's baseband turned back into audio at the
// receive chain's rate, around a fixed centre, and decoded as Deep decodes a sound card.
#include "modem_state.h"
#include "skim/signal_decoder.h"

namespace kestrel::skim {

DecoderKind deepDecoderKind();

}  // namespace kestrel::skim
