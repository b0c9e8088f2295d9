#pragma once
// What the framing hands to Repeat Match: per data bit the soft values of both
// channels, per character the code and what it printed as.

namespace kestrel {

enum RepeatMatchKind : int { kRepeatMark = 0, kRepeatSpace = 1, kRepeatCharacter = 3 };

class RepeatMatchSink {
  public:
    virtual ~RepeatMatchSink() = default;
    // kind 0/1: n is the bit number 0..4, then the channel's excess, threshold and
    // floor. kind 3: n is the 5-bit code, value the decoded character, the rest 0.
    virtual void repeatMatchFeed(int kind, int n, double value, double threshold, double floor) = 0;
};

}  // namespace kestrel
