#pragma once
// Automatic frequency control. It has its own mixers, decimation and filters so that it
// can run on every sample ahead of the batched tone filters; it finds a start bit on its
// own mark/space decision and measures the phase drift of the tone present at the middle
// of each bit, moving markOffset and spaceOffset toward the received tones.
#include <array>
#include <cstdint>

#include "frontend/mirrored_ring.h"
#include "frontend/receive_measurements.h"
#include "frontend/tone_mixer.h"
#include "modem_state.h"

namespace kestrel {

constexpr double kAfcOffsetLimit = 61.0;  // Hz either way

// Counts of decimated samples since the start bit began (66 per bit).
constexpr int kAfcStartBitMiddle = 33;
constexpr int kAfcFirstDataMiddle = 99;
constexpr int kAfcLastDataMiddle = 363;
constexpr int kAfcBitLength = 66;
constexpr int kAfcStopMeasure = 441;
constexpr int kAfcCharacterEnd = 470;

class Afc {
  public:
    Afc(ModemState& state, ReceiveMeasurements& measurements)
        : state_(state), measurements_(measurements) {}

    // One sample at sampleRate; runs whether AFC is on or off.
    void afcStep(double x);
    // One measurement on pair p (0 or 1) from its filtered rings at index d: the phase
    // step from d - 1 to d joins the last nine, and their trimmed mean moves the pair's
    // offset in the state.
    void afcUpdate(int p, const std::array<double, kMixerRingSize>& inPhase,
                   const std::array<double, kMixerRingSize>& quadrature, int d);

  private:
    struct PhaseSteps {
        std::array<double, 9> steps{};
        int index = 0;
    };

    // The character state machine at decimated sample d, given the AFC's own decision:
    // finds the start bit and measures at the middle of each bit.
    void afcCharacterStep(bool pair1Stronger, int d);
    // The tone levels from the 253 most recent magnitudes of each pair.
    void refreshLevels(int d);
    // The AFC's own mark/space decision at d.
    bool pair1Stronger(int d) const;
    void filterAndMeasure(int d);
    void advanceCount(bool pair1IsStronger);
    void measureAt(int count, bool pair1IsStronger, int d);
    void updatePair(int p, int d);
    void reportTones();

    ModemState& state_;
    ReceiveMeasurements& measurements_;

    ToneMixer mixer_;  // its j is the AFC's write index i
    std::array<std::array<double, kMixerRingSize>, 4> filtered_{};
    std::array<MirroredRing<kMixerRingSize>, 2> magnitude_{};
    std::array<double, 2> level_{};
    std::int32_t afcCount_ = 0;
    std::int32_t afcMarkRun_ = 0;
    PhaseSteps markSteps_;
    PhaseSteps spaceSteps_;
};

}  // namespace kestrel
