#pragma once
// PFSK: a 5 kHz tone keyed on for space elements and off for mark, one character frame
// per call. Every tone element starts again at phase 0.
#include "transmit/tx_frame.h"

namespace kestrel {

inline constexpr double kPfskToneHz = 5000.0;
inline constexpr double kPfskAmplitude = 32760.0;

struct PfskGenerator {
    explicit PfskGenerator(TxLinks& links) : links(links) {}

    void generatePfsk(TxFrame& frame);

    TxLinks& links;
    double pfskPhase = 0.0;
    int pfskStarted = 0;  // 0 until the first character frame of a transmission

  private:
    void tone(TxFrame& frame, int begin, int count);
    void character(TxFrame& frame);
};

}  // namespace kestrel
