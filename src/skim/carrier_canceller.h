// A steady carrier beside a signal's tones, taken out of the signal's baseband. A carrier
// tens of hertz from a tone passes the tone's filters as a tone held on would; it is
// found as a line in a long spectrum of the baseband (far narrower than anything keyed),
// and cancelled by subtracting its own slowly learnt amplitude and phase, a notch under
// a hertz wide that leaves the keyed signal beside it as it was.
#pragma once

#include <complex>
#include <vector>

namespace kestrel::skim {

class CarrierCanceller {
  public:
    // rate: baseband samples per second; the tones lie at ±toneHz around 0 Hz, and a
    // line within 30 Hz of either is the signal's own (a mark held on) and stays.
    CarrierCanceller(double rate, double toneHz);

    // One baseband sample, turned down by offsetHz from the band (the mixers' frequency
    // at this sample): the sample with the carrier taken out, if one was found.
    std::complex<double> take(std::complex<double> z, double offsetHz);
    // The mixers jumped (their phase with them): what was learnt no longer fits.
    void restart();

  private:
    void search(double offsetHz);  // at the block's mean offset

    double rate_, toneHz_;
    std::vector<std::complex<float>> block_;  // enough to find a line
    int filled_ = 0;
    double offsetSum_ = 0;  // of the block's samples: the mixers move while it fills
    double foundHz_ = 0;    // the line of the last block, in the band; 0 for none
    double carrierHz_ = 0;
    bool cancelling_ = false;
    double phase_ = 0;  // the carrier's, in cycles, in the baseband
    std::complex<double> amplitude_;
};

}  // namespace kestrel::skim
