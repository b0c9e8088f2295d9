#pragma once
// The inner products of the ring filters: coefficient 0 on the oldest sample. The sums run
// in four lanes, which lets them use the processor's vector registers (AVX where the
// processor has it) and gives the same result bit for bit on every path.

namespace kestrel {

// One filter over one window; n must be a multiple of 8.
double firDot(const double* taps, const double* samples, int n);

// One filter over four windows at once, sharing the loads of the taps; n must be a
// multiple of 4.
void firDot4(const double* taps, const double* const (&windows)[4], int n, double (&out)[4]);

// The same two in plain C++, for compilers without vector extensions (MSVC).
double firDotPortable(const double* taps, const double* samples, int n);
void firDot4Portable(const double* taps, const double* const (&windows)[4], int n,
                     double (&out)[4]);

}  // namespace kestrel
