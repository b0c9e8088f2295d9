#include "frontend/front_end.h"

namespace kestrel {

void FrontEnd::processSample(double x) {
    if (state.pauseState.load() == 0) pauseHistory.store(x);
    batch[batchCount++] = x;
    afc.afcStep(x);
    spectrum.spectrumStep(x);
    if (batchCount < kBatchLength) return;

    // The AFC sees every sample twice, once on arrival and once with its batch: how fast it
    // follows a drifting signal and where its character clock falls were settled on that
    // doubled stream, and the transmitter's Net follows what it finds.
    for (double b : batch) afc.afcStep(b);
    for (double b : batch) tones.toneFront(b);
    batchCount = 0;
}

}  // namespace kestrel
