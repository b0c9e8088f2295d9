#include "frontend/fir.h"

#include <cstring>

namespace kestrel {

// The same sums in the same lane order, for compilers without vector extensions; the tests
// hold the vector paths to them bit for bit.
double firDotPortable(const double* taps, const double* samples, int n) {
    double lanes[8] = {};
    for (int k = 0; k < n; k += 8) {
        for (int l = 0; l < 8; ++l) lanes[l] += taps[k + l] * samples[k + l];
    }
    return ((lanes[0] + lanes[4]) + (lanes[2] + lanes[6])) +
           ((lanes[1] + lanes[5]) + (lanes[3] + lanes[7]));
}

void firDot4Portable(const double* taps, const double* const (&windows)[4], int n,
                     double (&out)[4]) {
    for (int r = 0; r < 4; ++r) {
        double lanes[4] = {};
        for (int k = 0; k < n; k += 4) {
            for (int l = 0; l < 4; ++l) lanes[l] += taps[k + l] * windows[r][k + l];
        }
        out[r] = (lanes[0] + lanes[2]) + (lanes[1] + lanes[3]);
    }
}

namespace {

#if defined(__GNUC__)

// Everything here is inlined into the two entry points below, so the calling convention
// of 32-byte vectors on targets without AVX does not matter.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

using Lanes = double __attribute__((vector_size(32)));  // four doubles

[[gnu::always_inline]] inline Lanes load(const double* p) {
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

[[gnu::always_inline]] inline double sum(Lanes v) {
    return (v[0] + v[2]) + (v[1] + v[3]);
}

[[gnu::always_inline]] inline double firDotBody(const double* taps, const double* samples, int n) {
    Lanes a = {}, b = {};
    for (int k = 0; k < n; k += 8) {
        a += load(taps + k) * load(samples + k);
        b += load(taps + k + 4) * load(samples + k + 4);
    }
    return sum(a + b);
}

[[gnu::always_inline]] inline void firDot4Body(const double* taps,
                                               const double* const (&windows)[4], int n,
                                               double (&out)[4]) {
    Lanes acc0 = {}, acc1 = {}, acc2 = {}, acc3 = {};
    for (int k = 0; k < n; k += 4) {
        const Lanes t = load(taps + k);
        acc0 += t * load(windows[0] + k);
        acc1 += t * load(windows[1] + k);
        acc2 += t * load(windows[2] + k);
        acc3 += t * load(windows[3] + k);
    }
    out[0] = sum(acc0);
    out[1] = sum(acc1);
    out[2] = sum(acc2);
    out[3] = sum(acc3);
}

#pragma GCC diagnostic pop

#else

constexpr auto& firDotBody = firDotPortable;
constexpr auto& firDot4Body = firDot4Portable;

#endif

#if defined(__GNUC__) && defined(__x86_64__) && !defined(__AVX__)

// Built for the baseline processor: use AVX when the one we run on has it. No fused
// multiply-add, so both paths round alike.
[[gnu::target("avx")]] double firDotAvx(const double* taps, const double* samples, int n) {
    return firDotBody(taps, samples, n);
}

[[gnu::target("avx")]] void firDot4Avx(const double* taps, const double* const (&windows)[4], int n,
                                       double (&out)[4]) {
    firDot4Body(taps, windows, n, out);
}

const bool kHasAvx = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") != 0;
}();

}  // namespace

double firDot(const double* taps, const double* samples, int n) {
    return kHasAvx ? firDotAvx(taps, samples, n) : firDotBody(taps, samples, n);
}

void firDot4(const double* taps, const double* const (&windows)[4], int n, double (&out)[4]) {
    if (kHasAvx) {
        firDot4Avx(taps, windows, n, out);
    } else {
        firDot4Body(taps, windows, n, out);
    }
}

#else

}  // namespace

double firDot(const double* taps, const double* samples, int n) {
    return firDotBody(taps, samples, n);
}

void firDot4(const double* taps, const double* const (&windows)[4], int n, double (&out)[4]) {
    firDot4Body(taps, windows, n, out);
}

#endif

}  // namespace kestrel
