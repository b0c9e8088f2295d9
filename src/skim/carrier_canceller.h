// A steady carrier beside a signal's tones, taken out of the signal's baseband. A carrier
// tens of hertz from a tone passes the tone's filters as a tone held on would; it is
// found as a line in a long spectrum of the baseband (far narrower than anything keyed),
// and cancelled by subtracting its own slowly learnt amplitude and phase, a notch under
// a hertz wide that leaves the keyed signal beside it as it was.
#pragma once

#include <array>
#include <complex>
#include <vector>

#include "frontend/kiss_fft_plan.h"

namespace kestrel::skim {

// Samples of one spectrum: about 0.7 s, 1.5 Hz a bin, at the channels' 3000 samples/s.
inline constexpr int kCarrierBlock = 2048;

// The search for a line in a block of baseband, which every channel of a skim shares
// (they run on one thread): the transform, its window and its buffers, made once.
class CarrierSearch {
  public:
    CarrierSearch();
    // The strongest line of the block (rate samples/s) away from the tones at ±toneHz,
    // in hertz from the block's 0 Hz, if it stands far out of the spectrum beside it;
    // 0 if none does.
    double lineHz(const std::array<std::complex<float>, kCarrierBlock>& block, double rate,
                  double toneHz);

  private:
    KissFftPlan plan_;
    std::vector<double> window_;
    std::vector<kiss_fft_cpx> in_, spectrum_;
    std::vector<double> beside_;
};

class CarrierCanceller {
  public:
    // rate: baseband samples per second; the tones lie at ±toneHz around 0 Hz.
    CarrierCanceller(CarrierSearch& search, double rate, double toneHz);

    // One baseband sample, turned down by offsetHz from the band (the mixers' frequency
    // at this sample): the sample with the carrier taken out, if one was found.
    std::complex<double> take(std::complex<double> z, double offsetHz);

  private:
    void endBlock();

    CarrierSearch& search_;
    double rate_, toneHz_;
    std::array<std::complex<float>, kCarrierBlock> block_{};  // enough to find a line
    int filled_ = 0;
    double offsetSum_ = 0;  // of the block's samples: the mixers move while it fills
    double foundHz_ = 0;    // the line of the last block, in the band; 0 for none
    double carrierHz_ = 0;
    bool cancelling_ = false;
    double phase_ = 0;  // the carrier's, in cycles, in the baseband
    std::complex<double> amplitude_;
    int turnSamples_, sinceTurn_ = 0;     // how often the learnt amplitude's turn is read
    std::complex<double> turnAmplitude_;  // as it stood when it was read last
};

}  // namespace kestrel::skim
