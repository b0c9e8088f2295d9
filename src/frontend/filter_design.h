#pragma once
// The equalised raised-cosine design that gives every designed filter of the receive side
// its taps, and those filters. All are designed for 45.45 baud (12000 or 3000 samples/s)
// and serve every speed unchanged, because a bit is always 264 input samples long.
#include <array>

namespace kestrel {

constexpr int kInputLowPassTaps = 127;
constexpr int kToneFilterTaps = 1024;
constexpr int kAfcFilterTaps = 511;

// Fills taps[0..n) with a raised-cosine low-pass of roll-off alpha for symbol rate
// symbolRate at sample rate designRate, equalised by x/sin x, with unity gain at 0 Hz.
void designEqualisedRaisedCosine(double* taps, int n, double alpha, double designRate,
                                 double symbolRate);

// Each is designed on its first use and kept for the life of the program.
const std::array<double, kInputLowPassTaps>& inputLowPassFilter();
const std::array<double, kToneFilterTaps>& standardToneFilter();
const std::array<double, kToneFilterTaps>& alternativeToneFilter();
const std::array<double, kAfcFilterTaps>& afcFilter();

}  // namespace kestrel
