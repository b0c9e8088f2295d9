// Finding the signals: one Fourier transform of the whole passband, its power averaged
// over a couple of seconds, searched for pairs of tones one shift apart. A steady carrier,
// a keyed carrier or a single wide signal has no partner one shift away and is passed by.
#pragma once

#include <cstdint>
#include <vector>

#include "frontend/kiss_fft_plan.h"

namespace kestrel::skim {

struct Candidate {
    double markHz = 0;
    double snrDb = 0;  // both tones' power over the noise in 3000 Hz
};

class BandScanner {
  public:
    // Searches marks from lowHz up to highHz (the space one shift above it, below highHz).
    BandScanner(int sampleRate, double shiftHz, double lowHz, double highHz);

    // Takes samples; true when a new averaged spectrum is ready.
    bool add(double x);

    // The pairs in the latest spectrum, strongest first.
    std::vector<Candidate> candidates() const;
    // The SNR of the pair at markHz (of a signal already followed), and whether its
    // two tones still stand out of the noise.
    double snrDbAt(double markHz) const;
    bool presentAt(double markHz) const;

    double binHz() const { return binHz_; }
    int hopSamples() const { return size_ / 2; }

  private:
    double tonePower(double hz) const;      // the power of a tone near hz, above the floor
    double peakOverFloor(double hz) const;  // the strongest bin near hz, over the floor
    double snrOf(double markHz) const;
    double localFloor(int markBin, int spaceBin) const;  // the median power around a pair

    int size_;
    double binHz_, shiftHz_, lowHz_, highHz_;
    KissFftPlan plan_;
    std::vector<double> window_;
    std::vector<double> input_;  // the last size_ samples, in a ring
    int at_ = 0;
    std::int64_t taken_ = 0;
    std::int64_t spectra_ = 0;  // averaged so far
    std::vector<kiss_fft_cpx> in_, out_;
    std::vector<double> power_;  // averaged, per bin, as mean-square units
    double floor_ = 0;           // noise power per bin
    double smoothing_;
};

}  // namespace kestrel::skim
