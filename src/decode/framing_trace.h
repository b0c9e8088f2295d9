#pragma once
// An optional observer of the framing: one row per decided envelope sample, in order,
// for the command-line decoder's trace output.
#include <cstdint>

namespace kestrel {

struct FramingTraceRow {
    std::int64_t n;     // samples framed before this one
    double markEnv;     // markEnv[sampleIndex] as the framing received it
    double spaceEnv;    // spaceEnv[sampleIndex]
    double tM;          // current-slot mark threshold
    double tS;          // current-slot space threshold
    double powerDiff;   // the decoder's soft decision
    int rawSpace;       // the decoder's decision
    int decidedSpace;   // the framing's final decision for this sample
    int bitClock;       // as it was before this sample
    int framingErrors;  // as it was before this sample
    double snrFigure;   // as it was before this sample
};

class FramingTrace {
  public:
    virtual ~FramingTrace() = default;
    virtual void traceSample(const FramingTraceRow& row) = 0;
};

}  // namespace kestrel
