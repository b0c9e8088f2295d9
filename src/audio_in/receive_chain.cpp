#include "audio_in/receive_chain.h"

#include "decode/decoder_dispatch.h"
#include "decode/deep_decoder.h"
#include "decode/framing.h"
#include "decode/received_char_emitter.h"
#include "decode/repeat_match.h"
#include "frontend/filter_design.h"
#include "frontend/front_end.h"

namespace kestrel {

// In the order they depend on each other: text output (the logger and the Save Text
// file), framing and the Repeat Match it feeds, decoders, front end.
struct ReceiveChain::Stages {
    Stages(ModemState& state, LoggerPort& logger, ReceiveMeasurements& measurements,
           SaveTextFilePort& textFile)
        : emitter(state, logger),
          text(state, emitter, textFile),
          framing(state, text, measurements),
          repeatMatch(state, text),
          dispatch(state, framing, designEqualisedRaisedCosine),
          deep(state, emitter),
          front(state, measurements) {
        framing.setRepeatMatch(&repeatMatch);
        front.setDecodeSink(&dispatch);
        front.setDeepSink(&deep);
        deep.saveTo(&text);
    }

    ReceivedCharEmitter emitter;
    ReceivedText text;
    Framing framing;
    RepeatMatch repeatMatch;
    DecoderDispatch dispatch;
    DeepDecoder deep;
    FrontEnd front;
};

ReceiveChain::ReceiveChain(ModemState& state, LoggerPort& logger, ReceiveMeasurements& measurements,
                           SaveTextFilePort& textFile)
    : stages_(std::make_unique<Stages>(state, logger, measurements, textFile)) {}

ReceiveChain::~ReceiveChain() = default;

void ReceiveChain::processSample(double x) {
    stages_->front.processSample(x);
}

double ReceiveChain::inputLowPass(double x) {
    return stages_->front.inputLowPass(x);
}

void ReceiveChain::emitReceivedChar(char16_t ch) {
    stages_->emitter.emitReceivedChar(ch);
}

void ReceiveChain::setTrace(FramingTrace* trace) {
    stages_->framing.setTrace(trace);
}

FrontEnd& ReceiveChain::frontEnd() {
    return stages_->front;
}

}  // namespace kestrel
