#pragma once
// DOOK: two free-running oscillators, one on each tone, each keyed on and off by the
// element pattern passed through a long equalised raised-cosine low-pass, so the tones
// rise, fall and cross-fade with band-limited envelopes. One character frame per call,
// with the frame layout and txState walk of the AFSK generator.
#include <array>

#include "transmit/tx_frame.h"

namespace kestrel {

inline constexpr int kDookTaps = 1025;
inline constexpr double kDookAmplitude = 24000.0;
inline constexpr double kDookPreambleLevel = 1.0;
inline constexpr double kDookCharacterLevel = 1.1;
inline constexpr int kDookMark = 0;   // tone index of the mark envelope
inline constexpr int kDookSpace = 1;  // tone index of the space envelope

// The envelope filter: 1025 taps, roll-off 0.85, designed at 12000 Hz for 1000/11 Hz, so it
// spans a fixed number of samples and hence the same fraction of an element at every
// speed. Designed on first use.
const std::array<double, kDookTaps>& dookTaps();

struct DookGenerator {
    explicit DookGenerator(TxLinks& links) : links(links) {}

    void generateDook(TxFrame& frame);
    // Steps the envelope of one tone with a new target level; returns the filtered level.
    double dookEnvelope(double target, int tone);

    TxLinks& links;
    double dookMarkPhase = 0.0;
    double dookSpacePhase = 0.0;
    double dookMarkLevel = 0.0;
    double dookSpaceLevel = 0.0;
    int dookStarted = 0;  // 0 until the first character frame of a transmission

  private:
    struct Increments {
        double mark;
        double space;
    };
    Increments increments() const;
    void synthesise(TxFrame& frame, int begin, int count, double markTarget, double spaceTarget,
                    const Increments& inc);
    void character(TxFrame& frame, const Increments& inc);

    // Each delay line is held twice over, end to end, so the newest 1025 targets are always
    // one contiguous run starting at delayStart.
    std::array<std::array<double, 2 * kDookTaps>, 2> delayLines{};
    std::array<int, 2> delayStart{};
};

}  // namespace kestrel
