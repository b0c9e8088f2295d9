#include "skim/band_scanner.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrel::skim {
namespace {

constexpr double kMostBinHz = 6.0;  // fine enough to split tones and to place them
constexpr double kAveragingSeconds = 1.5;
// Spectra averaged before the first is searched: two spectra of noise alone seldom show
// a pair of bins 9 dB over the floor.
constexpr std::int64_t kLeastSpectra = 2;
constexpr double kToneOverFloorDb = 9.0;  // each tone's strongest bin, to be a candidate
constexpr double kKeepOverFloorDb = 5.0;  // to keep a followed signal counted as present
constexpr double kGapBelowTonesDb = 6.0;  // halfway between the tones, below the weaker
constexpr double kMostImbalanceDb = 15.0;
constexpr double kSameSignalHz = 40.0;
constexpr double kLocalReachHz = 250.0;
constexpr double kNoiseBandwidthHz = 3000.0;

// Where the peak of a parabola through a, b (the largest) and c lies, from b, in bins.
double parabolaPeak(double a, double b, double c) {
    const double bend = a - 2 * b + c;
    return bend < 0 ? std::clamp(0.5 * (a - c) / bend, -0.5, 0.5) : 0.0;
}

double dB(double ratio) {
    return 10.0 * std::log10(std::max(ratio, 1e-30));
}

}  // namespace

BandScanner::BandScanner(int sampleRate, double shiftHz, double lowHz, double highHz)
    : size_([&] {
          int n = 256;
          while (sampleRate / static_cast<double>(n) > kMostBinHz) n *= 2;
          return n;
      }()),
      binHz_(static_cast<double>(sampleRate) / size_),
      shiftHz_(shiftHz),
      lowHz_(lowHz),
      highHz_(highHz),
      plan_(size_, false),
      window_(static_cast<std::size_t>(size_)),
      input_(static_cast<std::size_t>(size_)),
      in_(static_cast<std::size_t>(size_)),
      out_(static_cast<std::size_t>(size_)),
      power_(static_cast<std::size_t>(size_ / 2 + 1)),
      smoothing_(std::min(1.0, size_ / 2.0 / (kAveragingSeconds * sampleRate))) {
    double sumSquares = 0;
    for (int n = 0; n < size_; ++n) {
        window_[n] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * n / size_);  // Hann
        sumSquares += window_[n] * window_[n];
    }
    // Scaled so that a bin's |X|^2 is a one-sided share of the mean square.
    for (double& w : window_) w *= std::sqrt(2.0 / (size_ * sumSquares));
}

bool BandScanner::add(double x) {
    input_[at_] = x;
    at_ = (at_ + 1) % size_;
    if (++taken_ % (size_ / 2) != 0 || taken_ < size_) return false;
    if (!plan_.valid()) return false;
    for (int n = 0; n < size_; ++n) {
        in_[n].r = static_cast<float>(input_[(at_ + n) % size_] * window_[n]);
        in_[n].i = 0;
    }
    plan_.run(in_.data(), out_.data());
    // The plain mean of the spectra so far until the running average would weigh a new one
    // less: an average begun on one spectrum keeps that spectrum's scatter for seconds,
    // and in one spectrum of noise alone a few bins stand 9 dB over the floor.
    ++spectra_;
    const double weight = std::max(smoothing_, 1.0 / static_cast<double>(spectra_));
    for (std::size_t k = 0; k < power_.size(); ++k) {
        const double p = double(out_[k].r) * out_[k].r + double(out_[k].i) * out_[k].i;
        power_[k] += weight * (p - power_[k]);
    }
    if (spectra_ < kLeastSpectra) return false;
    // The noise floor: a low quantile of the searched bins, which signals seldom reach.
    const auto lo = static_cast<std::size_t>(lowHz_ / binHz_);
    const auto hi = std::min(power_.size(), static_cast<std::size_t>(highHz_ / binHz_));
    std::vector<double> searched(power_.begin() + lo, power_.begin() + hi);
    auto q = searched.begin() + searched.size() * 2 / 5;
    std::nth_element(searched.begin(), q, searched.end());
    floor_ = std::max(*q, 1e-20);
    // The 40% quantile of an averaged noise spectrum lies a little under its mean.
    floor_ *= 1.1;
    return true;
}

double BandScanner::localFloor(int mark, int space) const {
    const int reach = static_cast<int>(kLocalReachHz / binHz_);
    const int from = std::max(0, mark - reach);
    const int to = std::min(static_cast<int>(power_.size()), space + reach + 1);
    std::vector<double> near(power_.begin() + from, power_.begin() + to);
    auto median = near.begin() + near.size() / 2;
    std::nth_element(near.begin(), median, near.end());
    return std::max(*median, floor_);
}

double BandScanner::peakOverFloor(double hz) const {
    const int k = static_cast<int>(std::lround(hz / binHz_));
    double best = 0;
    for (int j = std::max(k - 1, 0); j <= k + 1 && j < static_cast<int>(power_.size()); ++j)
        best = std::max(best, power_[j]);
    return best / floor_;
}

double BandScanner::tonePower(double hz) const {
    // A keyed tone spreads over about a baud either side.
    const int k = static_cast<int>(std::lround(hz / binHz_));
    const int reach = static_cast<int>(std::ceil(40.0 / binHz_));
    double sum = 0;
    for (int j = std::max(k - reach, 0); j <= k + reach && j < static_cast<int>(power_.size()); ++j)
        sum += std::max(power_[j] - floor_, 0.0);
    return sum;
}

double BandScanner::snrOf(double markHz) const {
    const double noise = floor_ * kNoiseBandwidthHz / binHz_;
    return dB((tonePower(markHz) + tonePower(markHz + shiftHz_)) / noise);
}

double BandScanner::snrDbAt(double markHz) const {
    return snrOf(markHz);
}

bool BandScanner::presentAt(double markHz) const {
    const double keep = std::pow(10.0, kKeepOverFloorDb / 10);
    return peakOverFloor(markHz) > keep && peakOverFloor(markHz + shiftHz_) > keep;
}

std::vector<Candidate> BandScanner::candidates() const {
    std::vector<Candidate> found;
    const double over = std::pow(10.0, kToneOverFloorDb / 10);
    const double gap = std::pow(10.0, kGapBelowTonesDb / 10);
    const double imbalance = std::pow(10.0, kMostImbalanceDb / 10);
    const int shiftBins = static_cast<int>(std::lround(shiftHz_ / binHz_));
    const int first = std::max(2, static_cast<int>(std::ceil(lowHz_ / binHz_)));
    const int last = static_cast<int>((highHz_ - shiftHz_) / binHz_);
    for (int k = first; k <= last && k + shiftBins + 2 < static_cast<int>(power_.size()); ++k) {
        const double p = power_[k];
        if (p < over * floor_ || p < power_[k - 1] || p < power_[k + 1]) continue;
        // The space: the strongest of the bins around one shift up.
        int s = k + shiftBins;
        for (int j = s - 2; j <= s + 2; ++j)
            if (power_[j] > power_[s]) s = j;
        const double q = power_[s];
        if (q < over * floor_ || std::max(p, q) > imbalance * std::min(p, q)) continue;
        // Both tones stand out of what lies around the pair (noise, or the keying
        // sidebands of a strong neighbour, whose lobes have peaks of their own).
        const double around = localFloor(k, s);
        if (std::min(p, q) < over * around) continue;
        const double middle = power_[(k + s) / 2];
        if (middle * gap > std::min(p, q)) continue;
        // The mark between bins: the peak of a parabola through the three around it.
        double markHz = (k + parabolaPeak(power_[k - 1], p, power_[k + 1])) * binHz_;
        // The middle of the two tones is the better estimate where their shift is known.
        const double spaceHz = (s + parabolaPeak(power_[s - 1], q, power_[s + 1])) * binHz_;
        if (std::abs(spaceHz - markHz - shiftHz_) < 2 * binHz_)
            markHz = 0.5 * (markHz + spaceHz - shiftHz_);
        found.push_back({markHz, snrOf(markHz)});
    }
    std::sort(found.begin(), found.end(),
              [](const Candidate& a, const Candidate& b) { return a.snrDb > b.snrDb; });
    // The same signal found twice. A pair with one tone on a stronger pair's tone is kept:
    // either may be the space of one station and the mark of the next; their channels'
    // keying tells.
    std::vector<Candidate> kept;
    for (const Candidate& c : found) {
        const bool near = std::any_of(kept.begin(), kept.end(), [&](const Candidate& k) {
            return std::abs(k.markHz - c.markHz) < kSameSignalHz;
        });
        if (!near) kept.push_back(c);
    }
    return kept;
}

}  // namespace kestrel::skim
