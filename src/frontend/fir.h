#pragma once
// The inner products of the ring filters: coefficient 0 on the oldest sample. The sums run
// in four lanes (GCC and Clang vector extensions where available), which keeps a
// thousand-tap filter on four signals within a small part of a core.
#include <cstring>

namespace kestrel {

#if defined(__GNUC__)

// Everything here is inlined, so the calling convention of 32-byte vectors on targets
// without AVX does not matter.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

using FirLanes = double __attribute__((vector_size(32)));  // four doubles

inline FirLanes loadLanes(const double* p) {
    FirLanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline double sumLanes(FirLanes v) {
    return (v[0] + v[2]) + (v[1] + v[3]);
}

// One filter over one window; n must be a multiple of 8.
inline double firDot(const double* taps, const double* samples, int n) {
    FirLanes a = {}, b = {};
    for (int k = 0; k < n; k += 8) {
        a += loadLanes(taps + k) * loadLanes(samples + k);
        b += loadLanes(taps + k + 4) * loadLanes(samples + k + 4);
    }
    return sumLanes(a + b);
}

// One filter over four windows at once, sharing the loads of the taps; n must be a
// multiple of 4.
inline void firDot4(const double* taps, const double* const (&windows)[4], int n,
                    double (&out)[4]) {
    FirLanes acc0 = {}, acc1 = {}, acc2 = {}, acc3 = {};
    for (int k = 0; k < n; k += 4) {
        const FirLanes t = loadLanes(taps + k);
        acc0 += t * loadLanes(windows[0] + k);
        acc1 += t * loadLanes(windows[1] + k);
        acc2 += t * loadLanes(windows[2] + k);
        acc3 += t * loadLanes(windows[3] + k);
    }
    out[0] = sumLanes(acc0);
    out[1] = sumLanes(acc1);
    out[2] = sumLanes(acc2);
    out[3] = sumLanes(acc3);
}

#pragma GCC diagnostic pop

#else

// The same sums in the same lane order, for compilers without vector extensions.
inline double firDot(const double* taps, const double* samples, int n) {
    double lanes[8] = {};
    for (int k = 0; k < n; k += 8) {
        for (int l = 0; l < 8; ++l) lanes[l] += taps[k + l] * samples[k + l];
    }
    return ((lanes[0] + lanes[4]) + (lanes[2] + lanes[6])) +
           ((lanes[1] + lanes[5]) + (lanes[3] + lanes[7]));
}

inline void firDot4(const double* taps, const double* const (&windows)[4], int n,
                    double (&out)[4]) {
    for (int r = 0; r < 4; ++r) {
        double lanes[4] = {};
        for (int k = 0; k < n; k += 4) {
            for (int l = 0; l < 4; ++l) lanes[l] += taps[k + l] * windows[r][k + l];
        }
        out[r] = (lanes[0] + lanes[2]) + (lanes[1] + lanes[3]);
    }
}

#endif

}  // namespace kestrel
