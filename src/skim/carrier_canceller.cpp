#include "skim/carrier_canceller.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "frontend/mixer_phase.h"

namespace kestrel::skim {
namespace {

constexpr double kSearchHz = 200.0;       // either side of the centre: the signal's passband
constexpr double kGuardHz = 30.0;         // around each tone: a mark held on is the signal's
constexpr double kFloorHz = 40.0;         // either side of a line, for the floor beside it
constexpr int kLineBins = 3;              // either side of a line's peak: the line itself
constexpr double kLineOverFloor = 100.0;  // 20 dB: far beyond a keyed signal's ripple
constexpr double kSameLineHz = 1.5;       // a line found again in the next block
constexpr double kLearnSeconds = 0.25;
constexpr double kTurnSeconds = 0.1;  // a line 5 Hz off turns half a cycle in that time
constexpr double kFollowGain = 0.5;

double power(const kiss_fft_cpx& c) {
    return static_cast<double>(c.r) * c.r + static_cast<double>(c.i) * c.i;
}

}  // namespace

CarrierSearch::CarrierSearch()
    : plan_(kCarrierBlock, false),
      window_(kCarrierBlock),
      in_(kCarrierBlock),
      spectrum_(kCarrierBlock) {
    beside_.reserve(kCarrierBlock);
    for (int n = 0; n < kCarrierBlock; ++n)
        window_[n] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * n / kCarrierBlock);
}

double CarrierSearch::lineHz(const std::array<std::complex<float>, kCarrierBlock>& block,
                             double rate, double toneHz) {
    for (int n = 0; n < kCarrierBlock; ++n)
        in_[n] = {block[n].real() * window_[n], block[n].imag() * window_[n]};
    plan_.run(in_.data(), spectrum_.data());
    const double binHz = rate / kCarrierBlock;
    auto at = [&](int k) { return power(spectrum_[(k + kCarrierBlock) % kCarrierBlock]); };
    const int reach = static_cast<int>(kSearchHz / binHz);
    int best = 0;
    double bestPower = -1;
    for (int k = -reach; k <= reach; ++k) {
        const double hz = k * binHz;
        if (std::abs(hz - toneHz) < kGuardHz || std::abs(hz + toneHz) < kGuardHz) continue;
        if (at(k) > bestPower) {
            bestPower = at(k);
            best = k;
        }
    }
    beside_.clear();
    const int floorBins = static_cast<int>(kFloorHz / binHz);
    for (int k = best - floorBins; k <= best + floorBins; ++k)
        if (std::abs(k - best) > kLineBins) beside_.push_back(at(k));
    const auto median = beside_.begin() + static_cast<std::ptrdiff_t>(beside_.size() / 2);
    std::nth_element(beside_.begin(), median, beside_.end());
    if (!(bestPower > kLineOverFloor * *median)) return 0.0;
    // The peak between bins, from the log powers of the three around it.
    const double l = std::log(at(best - 1)), c = std::log(at(best)), r = std::log(at(best + 1));
    const double between = l - 2 * c + r < 0 ? 0.5 * (l - r) / (l - 2 * c + r) : 0.0;
    return (best + between) * binHz;
}

CarrierCanceller::CarrierCanceller(CarrierSearch& search, double rate, double toneHz)
    : search_(search),
      rate_(rate),
      toneHz_(toneHz),
      turnSamples_(std::max(1, static_cast<int>(std::lround(kTurnSeconds * rate)))) {}

std::complex<double> CarrierCanceller::take(std::complex<double> z, double offsetHz) {
    block_[filled_] = std::complex<float>(z);
    offsetSum_ += offsetHz;
    if (++filled_ == kCarrierBlock) endBlock();
    if (!cancelling_) return z;
    phase_ += (carrierHz_ - offsetHz) / rate_;
    phase_ -= std::floor(phase_);
    const Phasor p = phasorOfCycles(phase_);
    const std::complex<double> turn(p.cos, p.sin);
    amplitude_ += (z * std::conj(turn) - amplitude_) / (kLearnSeconds * rate_);
    // A block's line is good to a hertz or so, and an amplitude learnt on a carrier a hertz
    // off turns as fast as it is learnt, leaving most of the carrier: the line is followed
    // by how far the learnt amplitude turns.
    if (++sinceTurn_ == turnSamples_) {
        const double turned = std::arg(amplitude_ * std::conj(turnAmplitude_));
        carrierHz_ += kFollowGain * turned * rate_ / (2 * std::numbers::pi * turnSamples_);
        turnAmplitude_ = amplitude_;
        sinceTurn_ = 0;
    }
    return z - amplitude_ * turn;
}

// A line is cancelled once two blocks in a row have it in the same place in the band (the
// block's line placed by the mixers' mean offset over it).
void CarrierCanceller::endBlock() {
    const double inBlock = search_.lineHz(block_, rate_, toneHz_);
    const double lineHz = inBlock != 0 ? inBlock + offsetSum_ / kCarrierBlock : 0.0;
    filled_ = 0;
    offsetSum_ = 0;
    // While cancelling, the line followed is the one to find again.
    const double lastHz = cancelling_ ? carrierHz_ : foundHz_;
    const bool again = lineHz != 0 && lastHz != 0 && std::abs(lineHz - lastHz) < kSameLineHz;
    if (!again) {
        cancelling_ = false;
    } else if (!cancelling_) {
        cancelling_ = true;
        carrierHz_ = lineHz;
        amplitude_ = turnAmplitude_ = {};
        sinceTurn_ = 0;
    }
    foundHz_ = lineHz;
}

}  // namespace kestrel::skim
