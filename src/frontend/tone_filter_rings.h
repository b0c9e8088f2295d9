#pragma once
// The hand-over from the tone filters to the decoders: four rings at the decimated
// rate (66 samples per bit), indexed by the decimated sample number modulo 1024.
#include <array>
#include <cstdint>

namespace kestrel {

constexpr int kToneRingSize = 1024;

struct ToneFilterRings {
    // Ring pair 0 carries the mark tone, pair 1 the space tone (exchanged by the front
    // end when receive is reversed; the decoders never know).
    std::array<double, kToneRingSize> markI{};
    std::array<double, kToneRingSize> markQ{};
    std::array<double, kToneRingSize> spaceI{};
    std::array<double, kToneRingSize> spaceQ{};
    std::int32_t decodeStart = 0;  // first ring index the next decoder pass reads: 0 or 512
};

// What the tone front end calls after each new decimated sample d (0..1023).
class DecodeDispatchSink {
public:
    virtual ~DecodeDispatchSink() = default;
    virtual void decodeDispatch(int d, ToneFilterRings& rings) = 0;
};

}  // namespace kestrel
