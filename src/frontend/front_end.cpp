#include "frontend/front_end.h"

namespace kestrel {

void FrontEnd::processSample(double x) {
    if (state.pauseState.load() == 0) pauseHistory.store(x);
    batch[batchCount++] = x;
    afc.afcStep(x);
    spectrum.spectrumStep(x);
    const bool deepMode = state.Decodemode.load() == kDecodeDeep && deep != nullptr;
    if (deepMode) deep->takeSample(x);
    if (batchCount < kBatchLength) return;

    // The AFC sees every sample twice: once on arrival, once with its batch.
    for (double b : batch) afc.afcStep(b);
    if (!deepMode)
        for (double b : batch) tones.toneFront(b);
    batchCount = 0;
}

}  // namespace kestrel
