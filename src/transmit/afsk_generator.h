#pragma once
// AFSK: one phase-continuous oscillator whose frequency glides between mark and space
// along a Blackman-shaped step 60 samples long, one character frame per call.
#include "transmit/tx_frame.h"

namespace kestrel {

inline constexpr double kAfskAmplitude = 24000.0;
inline constexpr int kGlideSamples = 60;
inline constexpr int kPreambleRampSamples = 396;
inline constexpr int kClosingRampSamples = 264;

// The glide shape: a Blackman half-window rising from 0.00688 at n = 0 to 1 at n = 60,
// and 1 from there on.
double blackmanStep(int n);

struct AfskGenerator {
    explicit AfskGenerator(TxLinks& links) : links(links) {}

    // Fills the frame with what txState calls for (preamble space, preamble mark, a
    // character, the closing fade, or silence) and advances txState.
    void generateAfsk(TxFrame& frame);
    // The frame of one five-bit code at the current tones.
    void characterFrame(TxFrame& frame, std::uint8_t code);

    TxLinks& links;
    double afskPhase = 0.0;  // never reset, so every transmission starts where the last ended

  private:
    struct Increments {
        double mark;
        double space;
    };
    Increments increments() const;
    double oscillate(double increment);
    void glide(TxFrame& frame, int begin, int count, double from, double to);
    void preambleSpace(TxFrame& frame, const Increments& inc);
    void character(TxFrame& frame);
    void closingFade(TxFrame& frame, const Increments& inc);
};

}  // namespace kestrel
