#include "skim/skimmer.h"

#include <algorithm>
#include <cmath>

namespace kestrel::skim {
namespace {

constexpr double kQuietSeconds = 30.0;    // a signal not seen so long loses its channel
constexpr double kSameSignalHz = 60.0;    // a candidate this near a followed one is that one
constexpr double kMergedHz = 25.0;        // two channels that have followed into one
constexpr double kRefusedSeconds = 30.0;  // a pair of tones found not to be one signal
constexpr double kShiftsPerSignal = 2.0;  // of the passband, for the default cap
// A signal is found once its averaged tones stand out, seconds into it (a faded one the
// longer): a new channel starts that far back.
constexpr double kLookBackSeconds = 3.0;

double highHzOf(const SkimSettings& s) {
    return s.highHz > 0 ? s.highHz : 0.45 * s.sampleRate;
}

}  // namespace

struct Skimmer::Followed {
    Followed(int id, const ChannelPlan& plan, CarrierSearch& carriers, double markHz,
             std::int64_t opened)
        : id(id), channel(plan, carriers, markHz, opened) {}
    int id;
    SignalChannel channel;  // where its decoder writes: never moved
    double quiet = 0;
    int snrDb = 0;
};

Skimmer::Skimmer(const SkimSettings& settings, LineSink& lines, SpotSink& spots)
    : settings_(settings),
      lines_(lines),
      spots_(spots, settings.dial),
      plan_(channelPlan(settings.sampleRate, settings.shiftHz, settings.bauds, settings.decoder)),
      scanner_(settings.sampleRate, settings.shiftHz, settings.lowHz, highHzOf(settings)),
      ring_(static_cast<int>(plan_.lowPass.size() + kLookBackSeconds * settings.sampleRate)),
      windowSize_(static_cast<int>(plan_.lowPass.size())),
      mostSignals_(settings.mostSignals > 0
                       ? settings.mostSignals
                       : std::max(1, static_cast<int>((highHzOf(settings) - settings.lowHz) /
                                                      (kShiftsPerSignal * settings.shiftHz)))) {}

Skimmer::~Skimmer() = default;

void Skimmer::process(std::span<const double> samples) {
    for (const double x : samples) {
        ring_.put(at_, x);
        at_ = (at_ + 1) % ring_.size();
        if (++taken_ % plan_.decimation == 0)
            for (auto& f : channels_) f->channel.decimated(windowBefore(0), taken_ - 1);
        if (scanner_.add(x)) scan();
    }
}

const double* Skimmer::windowBefore(int back) const {
    const int n = ring_.size();
    return ring_.window(((at_ - 1 - back) % n + n) % n, windowSize_);
}

// Feeds a new channel what the ring holds before now, at the instants every channel takes.
void Skimmer::catchUp(SignalChannel& channel) const {
    const std::int64_t held =
        std::min<std::int64_t>(taken_ - windowSize_, ring_.size() - windowSize_);
    for (std::int64_t back = held - 1; back >= 0; --back) {
        const std::int64_t sample = taken_ - 1 - back;
        if ((sample + 1) % plan_.decimation == 0)
            channel.decimated(windowBefore(static_cast<int>(back)), sample);
    }
}

void Skimmer::scan() {
    const double hop = static_cast<double>(scanner_.hopSamples()) / settings_.sampleRate;
    for (auto& f : channels_) {
        const double mark = f->channel.markHz();
        f->snrDb = static_cast<int>(std::lround(scanner_.snrDbAt(mark)));
        f->quiet = scanner_.presentAt(mark) ? 0 : f->quiet + hop;
    }
    // Gone quiet, followed onto a signal an older channel has, or two tones that are not
    // one signal's (whatever it decoded from them is dropped).
    const double now = static_cast<double>(taken_) / settings_.sampleRate;
    std::erase_if(refused_, [&](const Refused& r) { return r.until < now; });
    for (std::size_t k = 0; k < channels_.size(); ++k) {
        SignalChannel& channel = channels_[k]->channel;
        bool merged = false;
        for (std::size_t j = 0; j < k; ++j)
            merged =
                merged || std::abs(channels_[j]->channel.markHz() - channel.markHz()) < kMergedHz;
        const bool independent = channel.keying() == SignalChannel::Keying::independent;
        if (!merged && !independent && channels_[k]->quiet < kQuietSeconds) continue;
        channel.end();
        if (independent)
            refused_.push_back({channel.markHz(), now + kRefusedSeconds});
        else
            handOn(*channels_[k]);
        spots_.forget(channels_[k]->id);
        channels_.erase(channels_.begin() + static_cast<std::ptrdiff_t>(k--));
    }
    for (const Candidate& c : scanner_.candidates()) {
        if (channels_.size() >= static_cast<std::size_t>(mostSignals_)) break;
        // The same signal, or a pair with one tone on the tone of a signal already known to
        // be one. While a followed pair is still being judged, the candidate beside it may be
        // the signal and the followed pair one of its tones and a neighbour's: both are
        // followed until the keying tells.
        const bool followed = std::any_of(channels_.begin(), channels_.end(), [&](const auto& f) {
            const double apart = std::abs(f->channel.markHz() - c.markHz);
            return apart < kSameSignalHz ||
                   (std::abs(apart - settings_.shiftHz) < kSameSignalHz / 2 &&
                    f->channel.keying() != SignalChannel::Keying::unknown);
        });
        const bool refused = std::any_of(refused_.begin(), refused_.end(), [&](const Refused& r) {
            return std::abs(r.markHz - c.markHz) < kSameSignalHz;
        });
        if (followed || refused) continue;
        channels_.push_back(
            std::make_unique<Followed>(nextId_++, plan_, carriers_, c.markHz, taken_));
        channels_.back()->snrDb = static_cast<int>(std::lround(c.snrDb));
        catchUp(channels_.back()->channel);
    }
    for (auto& f : channels_) handOn(*f);
}

void Skimmer::handOn(Followed& f) {
    // A channel's lines wait until its tones are known to be one signal's.
    if (f.channel.keying() != SignalChannel::Keying::complementary) return;
    for (auto& decoded : f.channel.takeLines()) {
        const SkimLine line{decoded.time, f.channel.markHz(), decoded.baud, f.snrDb,
                            std::move(decoded.text)};
        lines_.line(line);
        spots_.line(f.id, line.time, line.markHz, line.baud, line.snrDb, line.text);
    }
}

void Skimmer::finish() {
    for (auto& f : channels_) {
        f->channel.end();
        handOn(*f);
    }
}

}  // namespace kestrel::skim
