// A spot: a station heard calling, as the skimmer hands it on to the text and
// JSON writers and to the cluster service.
#pragma once

#include <optional>
#include <string>

namespace kestrel::skim {

struct Spot {
    double time = 0;                // seconds from the input's start
    double markHz = 0;              // the audio tone of the mark
    std::optional<double> freqKhz;  // the RF frequency of the mark, with --dial
    std::string call;
    int snrDb = 0;
    int baud = 45;     // 45, 50 or 75
    std::string kind;  // "CQ", "QRZ", "TEST", ...
};

// Whatever takes spots as the skimmer finds them.
class SpotSink {
  public:
    virtual ~SpotSink() = default;
    virtual void spot(const Spot&) = 0;
};

}  // namespace kestrel::skim
