#pragma once
// The three sound-card generators, and the choice among them by TXmode.
#include "transmit/afsk_generator.h"
#include "transmit/dook_generator.h"
#include "transmit/pfsk_generator.h"

namespace kestrel {

struct SoundGenerators {
    explicit SoundGenerators(TxLinks& links)
        : links(links), afsk(links), dook(links), pfsk(links) {}

    // The next frame from the generator of the current TXmode; DOOK for any mode
    // without a generator of its own.
    void generateFrame(TxFrame& frame) {
        switch (links.state.TXmode.load()) {
            case kAfskMode:
                afsk.generateAfsk(frame);
                return;
            case kPfskMode:
                pfsk.generatePfsk(frame);
                return;
            default:
                dook.generateDook(frame);
                return;
        }
    }

    TxLinks& links;
    AfskGenerator afsk;
    DookGenerator dook;
    PfskGenerator pfsk;
};

}  // namespace kestrel
