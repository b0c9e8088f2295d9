#pragma once
// What the framing hands to Repeat Match: per data bit what the decoder measured of each
// tone at the bit's middle, per character the code and whether a signal is present.

namespace kestrel {

// One tone at the middle of a data bit: its envelope's excess over the threshold, the
// threshold and the noise floor.
struct ToneAtBit {
    double excess = 0.0;
    double threshold = 0.0;
    double floor = 0.0;
};

class RepeatMatchSink {
  public:
    virtual ~RepeatMatchSink() = default;
    // Data bit n (0..4) of the current character, as the mark or the space tone had it.
    virtual void markBit(int n, const ToneAtBit& mark) = 0;
    virtual void spaceBit(int n, const ToneAtBit& space) = 0;
    // The end of the character: its five-bit code, and the framing's signal flag.
    virtual void characterEnd(int code, bool signalPresent) = 0;
};

}  // namespace kestrel
