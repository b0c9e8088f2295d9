#include "skim/carrier_canceller.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "frontend/kiss_fft_plan.h"
#include "frontend/mixer_phase.h"

namespace kestrel::skim {
namespace {

constexpr int kBlock = 2048;              // samples of one spectrum: about 0.7 s, 1.5 Hz a bin
constexpr double kSearchHz = 200.0;       // either side of the centre: the signal's passband
constexpr double kGuardHz = 30.0;         // around each tone
constexpr double kFloorHz = 40.0;         // either side of a line, for the floor beside it
constexpr int kLineBins = 3;              // either side of a line's peak: the line itself
constexpr double kLineOverFloor = 100.0;  // 20 dB: far beyond a keyed signal's ripple
constexpr double kSameLineHz = 1.5;       // a line found again in the next block
constexpr double kLearnSeconds = 0.25;

double power(const kiss_fft_cpx& c) {
    return static_cast<double>(c.r) * c.r + static_cast<double>(c.i) * c.i;
}

}  // namespace

CarrierCanceller::CarrierCanceller(double rate, double toneHz)
    : rate_(rate), toneHz_(toneHz), block_(kBlock) {}

void CarrierCanceller::restart() {
    filled_ = 0;
    offsetSum_ = 0;
    foundHz_ = 0;
    cancelling_ = false;
}

std::complex<double> CarrierCanceller::take(std::complex<double> z, double offsetHz) {
    block_[filled_] = std::complex<float>(z);
    offsetSum_ += offsetHz;
    if (++filled_ == kBlock) {
        search(offsetSum_ / kBlock);
        filled_ = 0;
        offsetSum_ = 0;
    }
    if (!cancelling_) return z;
    phase_ += (carrierHz_ - offsetHz) / rate_;
    phase_ -= std::floor(phase_);
    const Phasor p = phasorOfCycles(phase_);
    const std::complex<double> turn(p.cos, p.sin);
    amplitude_ += (z * std::conj(turn) - amplitude_) / (kLearnSeconds * rate_);
    return z - amplitude_ * turn;
}

// The strongest line of the block away from the tones, if it stands far out of the
// spectrum beside it; cancelled once two blocks in a row have it in the same place.
void CarrierCanceller::search(double offsetHz) {
    // One transform and one window for every channel: both only read.
    static const KissFftPlan plan(kBlock, false);
    static const std::vector<double> window = [] {
        std::vector<double> w(kBlock);
        for (int n = 0; n < kBlock; ++n)
            w[n] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * n / kBlock);
        return w;
    }();
    std::vector<kiss_fft_cpx> in(kBlock), spectrum(kBlock);
    for (int n = 0; n < kBlock; ++n)
        in[n] = {block_[n].real() * window[n], block_[n].imag() * window[n]};
    plan.run(in.data(), spectrum.data());
    const double binHz = rate_ / kBlock;
    const int reach = static_cast<int>(kSearchHz / binHz);
    auto at = [&](int k) {
        return power(spectrum[static_cast<std::size_t>((k + kBlock) % kBlock)]);
    };
    int best = 0;
    double bestPower = -1;
    for (int k = -reach; k <= reach; ++k) {
        const double hz = k * binHz;
        if (std::abs(hz - toneHz_) < kGuardHz || std::abs(hz + toneHz_) < kGuardHz) continue;
        if (at(k) > bestPower) {
            bestPower = at(k);
            best = k;
        }
    }
    std::vector<double> beside;
    const int floorBins = static_cast<int>(kFloorHz / binHz);
    for (int k = best - floorBins; k <= best + floorBins; ++k)
        if (std::abs(k - best) > kLineBins) beside.push_back(at(k));
    std::nth_element(beside.begin(), beside.begin() + beside.size() / 2, beside.end());
    double lineHz = 0;
    if (bestPower > kLineOverFloor * beside[beside.size() / 2]) {
        // The peak between bins, from the log powers of the three around it.
        const double l = std::log(at(best - 1)), c = std::log(at(best)), r = std::log(at(best + 1));
        const double between = l - 2 * c + r < 0 ? 0.5 * (l - r) / (l - 2 * c + r) : 0.0;
        lineHz = (best + between) * binHz + offsetHz;
    }
    const bool again = lineHz != 0 && foundHz_ != 0 && std::abs(lineHz - foundHz_) < kSameLineHz;
    if (!again) {
        cancelling_ = false;
    } else {
        if (!cancelling_ || std::abs(lineHz - carrierHz_) > kSameLineHz) amplitude_ = {};
        cancelling_ = true;
        carrierHz_ = lineHz;
    }
    foundHz_ = lineHz;
}

}  // namespace kestrel::skim
