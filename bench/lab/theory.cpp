#include "theory.h"

#include <cmath>

#include "lab/lab.h"

namespace kestrel::lab {

namespace {

double charErrorFromBit(double p) {
    return 1.0 - std::pow(1.0 - p, 5);
}

}  // namespace

double ebN0(double snrDb, double baud) {
    return std::pow(10.0, snrDb / 10.0) * kNoiseBandwidth / baud;
}

double bfskBitErrorAwgn(double snrDb, double baud) {
    return 0.5 * std::exp(-ebN0(snrDb, baud) / 2.0);
}

double bfskCharErrorAwgn(double snrDb, double baud) {
    return charErrorFromBit(bfskBitErrorAwgn(snrDb, baud));
}

double bfskCharErrorRayleigh(double snrDb, double baud) {
    // Mean over the exponential distribution of the instantaneous Eb/N0 g (mean m), by the
    // midpoint rule in u = g / m out to 40 mean values.
    const double m = ebN0(snrDb, baud);
    constexpr int steps = 20000;
    constexpr double top = 40.0;
    double sum = 0.0;
    for (int k = 0; k < steps; ++k) {
        const double u = (k + 0.5) * top / steps;
        sum += charErrorFromBit(0.5 * std::exp(-u * m / 2.0)) * std::exp(-u);
    }
    return sum * top / steps;
}

double snrForErrorRate(const std::function<double(double)>& errorAt, double target, double lowDb,
                       double highDb) {
    if (errorAt(highDb) > target) return highDb;
    if (errorAt(lowDb) <= target) return lowDb;
    for (int k = 0; k < 60; ++k) {
        const double mid = 0.5 * (lowDb + highDb);
        (errorAt(mid) > target ? lowDb : highDb) = mid;
    }
    return highDb;
}

}  // namespace kestrel::lab
