// The skimmer: every RTTY signal of a wide passband decoded at once. One transform finds
// the signals; each gets a channel of its own (mixer, AFC, speed, decoder) on the shared
// input, up to a cap, and loses it when it has gone quiet. Its lines go to a LineSink,
// the stations calling among them to a SpotSink.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "frontend/mirrored_ring.h"
#include "skim/band_scanner.h"
#include "skim/signal_channel.h"
#include "skim/spot.h"
#include "skim/spot_finder.h"

namespace kestrel::skim {

struct SkimLine {
    double time = 0;  // seconds from the input's start
    double markHz = 0;
    double baud = 0;
    int snrDb = 0;
    std::string text;
};

class LineSink {
  public:
    virtual ~LineSink() = default;
    virtual void line(const SkimLine&) = 0;
};

struct SkimSettings {
    int sampleRate = 48000;
    double shiftHz = 170;
    std::vector<double> bauds{45.45, 50, 75};
    DecoderKind decoder;
    int mostSignals = 0;  // 0: as many as the passband holds, one for every two shifts
    double lowHz = 200;
    double highHz = 0;  // 0: 0.45 of the sample rate
    Dial dial;
};

class Skimmer {
  public:
    Skimmer(const SkimSettings& settings, LineSink& lines, SpotSink& spots);
    ~Skimmer();

    // Input samples at the sample rate, in the units the receive chain takes (WAV
    // samples over 3726).
    void process(std::span<const double> samples);
    // The end of the input: every open line is ended and handed on.
    void finish();

    // How many signals have channels now, and how many may have at once.
    std::size_t signals() const { return channels_.size(); }
    int mostSignals() const { return mostSignals_; }

  private:
    struct Followed;
    void scan();
    void handOn(Followed& f);

    SkimSettings settings_;
    LineSink& lines_;
    SpotFinder spots_;
    ChannelPlan plan_;
    BandScanner scanner_;
    CarrierSearch carriers_;
    // The input, twice over so a window is contiguous: the low-pass's window and, before
    // it, the seconds a new channel is first fed (a signal is found after it began).
    MirroredBuffer ring_;
    int windowSize_ = 0, at_ = 0;
    const double* windowBefore(int back) const;  // the window ending `back` samples ago
    void catchUp(SignalChannel& channel) const;
    std::int64_t taken_ = 0;
    std::vector<std::unique_ptr<Followed>> channels_;
    int mostSignals_;
    int nextId_ = 0;
    // Where a channel found two tones not keyed as one signal's, and until when (seconds)
    // a candidate there is passed by.
    struct Refused {
        double markHz, until;
    };
    std::vector<Refused> refused_;
};

}  // namespace kestrel::skim
