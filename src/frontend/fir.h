#pragma once
// The inner product of every ring filter: coefficient 0 on the oldest sample. Eight
// partial sums let the compiler vectorise the loop without reassociating a single sum.

namespace kestrel {

// n must be a multiple of 8.
inline double firDot(const double* __restrict taps, const double* __restrict samples, int n) {
    double acc[8] = {};
    for (int k = 0; k < n; k += 8) {
        for (int l = 0; l < 8; ++l) acc[l] += taps[k + l] * samples[k + l];
    }
    return ((acc[0] + acc[4]) + (acc[1] + acc[5])) + ((acc[2] + acc[6]) + (acc[3] + acc[7]));
}

}  // namespace kestrel
