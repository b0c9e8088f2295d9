#include "frontend/input_low_pass.h"

#include "frontend/fir.h"

namespace kestrel {
namespace {

// The delay line applies coefficient 0 to the newest sample. Laid out oldest first over
// 128 samples, with a zero on the spare oldest slot, it runs through firDot.
const std::array<double, InputLowPass::kLineLength>& oldestFirstTaps() {
    static const auto taps = [] {
        std::array<double, InputLowPass::kLineLength> t{};
        const auto& designed = inputLowPassFilter();
        for (int p = 0; p < kInputLowPassTaps; ++p) t[1 + p] = designed[kInputLowPassTaps - 1 - p];
        return t;
    }();
    return taps;
}

}  // namespace

double InputLowPass::inputLowPass(double x) {
    newest = (newest + 1) % kLineLength;
    line.put(newest, x);
    return firDot(oldestFirstTaps().data(), line.window(newest, kLineLength), kLineLength);
}

}  // namespace kestrel
