#pragma once
// The envelope smoother of the "Spread" decode mode: a one-sided low-pass whose width
// follows the signal-to-noise figure, narrow on weak signals and wide on strong ones.
#include <array>

#include "modem_state.h"

namespace kestrel {

// The receive side's filter-design routine (taps, tap count, roll-off, design rate,
// symbol rate), as the tone front end provides it.
using FilterDesign = void (*)(double* taps, int n, double rollOff, double designRate,
                              double symbolRate);

constexpr int kSpreadTaps = 256;
constexpr int kSpreadDelay = 128;  // only the taps before the centre tap are applied

struct SpreadSmoother {
    SpreadSmoother(const ModemState& state, FilterDesign design);

    // In the Spread mode the smoothed envelope sample of channel 0 (mark) or 1 (space),
    // its width following snr, the framing's signal-to-noise figure; in any other mode
    // the value unchanged.
    double spreadSmoother(double value, int channel, double snr);

    bool wideSet() const { return wide_; }
    double smoothedSnr() const { return smoothed_; }

  private:
    void designOnce();

    const ModemState& state_;
    FilterDesign design_;
    bool designed_ = false;
    std::array<double, kSpreadTaps> narrowTaps_{};
    std::array<double, kSpreadTaps> wideTaps_{};
    double smoothed_ = 0.0;
    double lastSnr_ = 0.0;
    bool wide_ = false;
    std::array<std::array<double, kSpreadDelay>, 2> delay_{};
};

}  // namespace kestrel
