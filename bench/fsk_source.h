#pragma once
// A phase-continuous two-tone keyed source for the front-end benchmark: RTTY characters of a
// start element, five data elements and a stop element 1.5 elements long, 264 samples per
// element at any processing rate.
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace kestrel::testing {

constexpr int kSamplesPerElement = 264;

class FskSource {
  public:
    FskSource(double markHz, double spaceHz, double sampleRate, double amplitude)
        : mark_(markHz), space_(spaceHz), rate_(sampleRate), amplitude_(amplitude) {}

    void element(bool mark, int samples, std::vector<double>& out) {
        const double step = (mark ? mark_ : space_) / rate_;
        for (int s = 0; s < samples; ++s) {
            out.push_back(amplitude_ * std::cos(2.0 * std::numbers::pi * phase_));
            phase_ += step;
            if (phase_ >= 1.0) phase_ -= 1.0;
        }
    }

    // Bits 0..4 of `code` in sending order, 1 = space.
    void character(int code, std::vector<double>& out) {
        element(false, kSamplesPerElement, out);
        for (int bit = 0; bit < 5; ++bit)
            element(((code >> bit) & 1) == 0, kSamplesPerElement, out);
        element(true, kSamplesPerElement * 3 / 2, out);
    }

    // `count` characters whose codes come from a fixed pseudo-random sequence.
    void characters(int count, std::vector<double>& out) {
        for (int c = 0; c < count; ++c) {
            seed_ = seed_ * 1103515245u + 12345u;
            character(static_cast<int>((seed_ >> 16) % 32), out);
        }
    }

  private:
    double mark_, space_, rate_, amplitude_;
    double phase_ = 0.0;
    std::uint32_t seed_ = 12345;
};

}  // namespace kestrel::testing
