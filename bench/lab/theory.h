#pragma once
// What an ideal non-coherent binary FSK receiver achieves, as the yardstick beside the
// measured figures. SNR in a 3000 Hz bandwidth as everywhere in the lab, so
// Eb/N0 = SNR * 3000 / baud. A character counts as wrong when any of its five data bits
// is (start and stop elements and synchronisation are taken as perfect).
#include <functional>

namespace kestrel::lab {

double ebN0(double snrDb, double baud);  // as a ratio

// Bit error rate on a steady signal in white noise: 1/2 exp(-Eb/2N0).
double bfskBitErrorAwgn(double snrDb, double baud);
double bfskCharErrorAwgn(double snrDb, double baud);

// Character error rate on a slowly Rayleigh-fading signal (flat, constant over a
// character) of mean SNR snrDb: the AWGN character error averaged over the fade.
double bfskCharErrorRayleigh(double snrDb, double baud);

// The SNR at which an error rate that falls with SNR crosses target, by bisection over
// lowDb..highDb; returns highDb when it never gets down to target.
double snrForErrorRate(const std::function<double(double)>& errorAt, double target,
                       double lowDb = -30.0, double highDb = 40.0);

}  // namespace kestrel::lab
