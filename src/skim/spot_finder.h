// Spots from decoded lines: a callsign in one of the ways a station calls (CQ, QRZ, TEST,
// ...), seen twice from one signal before it is spotted, and spotted again on the same
// frequency at most every ten minutes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "skim/spot.h"

namespace kestrel::skim {

// Whether word is shaped like an amateur callsign: a prefix holding a letter, a digit, a
// suffix of letters, with a portable prefix or suffix after a slash.
bool looksLikeCall(std::string_view word);

// The calls a line shows calling, each with its kind, as often as it shows them.
std::vector<std::pair<std::string, std::string>> callsInLine(std::string_view line);

// The RF frequency of a mark: below the dial on the lower sideband, above it on the upper.
struct Dial {
    std::optional<double> khz;
    bool upperSideband = false;
};

class SpotFinder {
  public:
    SpotFinder(SpotSink& sink, Dial dial) : sink_(sink), dial_(dial) {}

    // A line decoded from the signal `signal` (a number no other signal has had).
    void line(int signal, double time, double markHz, double baud, int snrDb,
              std::string_view text);

    // The signal has gone: what was seen from it no longer counts.
    void forget(int signal);

  private:
    struct Seen {
        int signal;
        std::string call;
        int times;
        int snrDb;
        double time;
    };
    struct Spotted {
        std::string call;
        double markHz;
        double time;
    };
    SpotSink& sink_;
    Dial dial_;
    std::vector<Seen> seen_;
    std::vector<Spotted> spotted_;
};

}  // namespace kestrel::skim
