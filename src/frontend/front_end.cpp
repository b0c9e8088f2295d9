#include "frontend/front_end.h"

namespace kestrel {

void FrontEnd::processSample(double x) {
    if (state_.pauseState.load() == 0) pauseHistory_.store(x);
    batch_[batchCount_++] = x;
    afc_.afcStep(x);
    spectrum_.spectrumStep(x);
    const bool deepMode = state_.Decodemode.load() == kDecodeDeep && deep_ != nullptr;
    if (deepMode) deep_->takeSample(x);
    if (batchCount_ < kBatchLength) return;

    // The AFC sees every sample twice, once on arrival and once with its batch: how fast it
    // follows a drifting signal and where its character clock falls were settled on that
    // doubled stream, and the transmitter's Net follows what it finds.
    for (double b : batch_) afc_.afcStep(b);
    if (!deepMode)
        for (double b : batch_) tones_.toneFront(b);
    batchCount_ = 0;
}

}  // namespace kestrel
