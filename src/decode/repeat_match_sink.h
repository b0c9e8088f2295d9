#pragma once
// What the framing hands to Repeat Match: per data bit the soft values of both
// channels, per character the code and whether a signal is present.

namespace kestrel {

enum RepeatMatchKind : int { kRepeatMark = 0, kRepeatSpace = 1 };

class RepeatMatchSink {
  public:
    virtual ~RepeatMatchSink() = default;
    // Bit n (0..4) of the current character on one channel (kind): its excess,
    // threshold and floor.
    virtual void repeatMatchFeed(int kind, int n, double value, double threshold, double floor) = 0;
    // The end of the character: its five-bit code, and the framing's signal flag.
    virtual void repeatMatchCharacter(int code, bool signalPresent) = 0;
};

}  // namespace kestrel
