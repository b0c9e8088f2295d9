#include "decode/spread_smoother.h"

#include <algorithm>

namespace kestrel {
namespace {

constexpr double kDesignRate = 3000.0;
// 1.2 and 2.0 times the bit rate at 66 envelope samples per bit.
constexpr double kNarrowRollOff = 0.3;
constexpr double kNarrowSymbolRate = 600.0 / 11.0;
constexpr double kWideRollOff = 0.85;
constexpr double kWideSymbolRate = 1000.0 / 11.0;
// Hysteresis on the smoothed S/N so the set does not flap around one figure.
constexpr double kWideAbove = 13.0;
constexpr double kNarrowBelow = 10.0;

}  // namespace

SpreadSmoother::SpreadSmoother(const ModemState& state, FilterDesign design)
    : state_(state), design_(design) {}

void SpreadSmoother::designOnce() {
    if (designed_) return;
    design_(narrowTaps_.data(), kSpreadTaps, kNarrowRollOff, kDesignRate, kNarrowSymbolRate);
    design_(wideTaps_.data(), kSpreadTaps, kWideRollOff, kDesignRate, kWideSymbolRate);
    designed_ = true;
}

double SpreadSmoother::spreadSmoother(double value, int channel, double snr) {
    if (state_.Decodemode.load(std::memory_order_relaxed) != kDecodeSpread) return value;
    designOnce();

    if (snr != lastSnr_) {
        smoothed_ = (snr * 0.3 + smoothed_) / 1.3;
        lastSnr_ = snr;
    }
    if (smoothed_ > kWideAbove) wide_ = true;
    if (smoothed_ < kNarrowBelow) wide_ = false;

    auto& line = delay_[channel];
    std::copy_backward(line.begin(), line.end() - 1, line.end());
    line[0] = value;
    const auto& taps = wide_ ? wideTaps_ : narrowTaps_;
    double sum = 0.0;
    for (int k = 0; k < kSpreadDelay; ++k) sum += line[k] * taps[k];
    return sum;
}

}  // namespace kestrel
