#include "skim/skimmer.h"

#include <algorithm>
#include <cmath>

namespace kestrel::skim {
namespace {

constexpr double kQuietSeconds = 30.0;  // a signal not seen so long loses its channel
constexpr double kSameSignalHz = 60.0;  // a candidate this near a followed one is that one
constexpr double kMergedHz = 25.0;      // two channels that have followed into one

}  // namespace

struct Skimmer::Followed {
    Followed(int id, const ChannelPlan& plan, double markHz) : id(id), channel(plan, markHz) {}
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
      scanner_(settings.sampleRate, settings.shiftHz, settings.lowHz,
               settings.highHz > 0 ? settings.highHz : 0.45 * settings.sampleRate),
      ringSize_(static_cast<int>(plan_.lowPass.size())) {
    ring_.assign(2 * static_cast<std::size_t>(ringSize_), 0.0);
}

Skimmer::~Skimmer() = default;

void Skimmer::process(std::span<const double> samples) {
    for (const double x : samples) {
        ring_[at_] = x;
        ring_[at_ + ringSize_] = x;
        const double* window = ring_.data() + at_ + 1;
        at_ = (at_ + 1) % ringSize_;
        if (++taken_ % plan_.decimation == 0)
            for (auto& f : channels_) f->channel.decimated(window, taken_ - 1);
        if (scanner_.add(x)) scan();
    }
}

void Skimmer::scan() {
    const double hop = static_cast<double>(scanner_.hopSamples()) / settings_.sampleRate;
    for (auto& f : channels_) {
        const double mark = f->channel.markHz();
        f->snrDb = static_cast<int>(std::lround(scanner_.snrDbAt(mark)));
        f->quiet = scanner_.presentAt(mark) ? 0 : f->quiet + hop;
    }
    // Gone quiet, or followed onto a signal an older channel has.
    for (std::size_t k = 0; k < channels_.size(); ++k) {
        bool merged = false;
        for (std::size_t j = 0; j < k; ++j)
            merged = merged || std::abs(channels_[j]->channel.markHz() -
                                        channels_[k]->channel.markHz()) < kMergedHz;
        if (!merged && channels_[k]->quiet < kQuietSeconds) continue;
        channels_[k]->channel.end();
        handOn(*channels_[k]);
        spots_.forget(channels_[k]->id);
        channels_.erase(channels_.begin() + static_cast<std::ptrdiff_t>(k--));
    }
    for (const Candidate& c : scanner_.candidates()) {
        if (channels_.size() >= static_cast<std::size_t>(settings_.mostSignals)) break;
        const bool followed = std::any_of(channels_.begin(), channels_.end(), [&](const auto& f) {
            const double apart = std::abs(f->channel.markHz() - c.markHz);
            return apart < kSameSignalHz || std::abs(apart - settings_.shiftHz) < kSameSignalHz / 2;
        });
        if (followed) continue;
        channels_.push_back(std::make_unique<Followed>(nextId_++, plan_, c.markHz));
        channels_.back()->snrDb = static_cast<int>(std::lround(c.snrDb));
    }
    for (auto& f : channels_) handOn(*f);
}

void Skimmer::handOn(Followed& f) {
    for (auto& decoded : f.channel.takeLines()) {
        const SkimLine line{decoded.time, f.channel.markHz(), f.channel.baud(), f.snrDb,
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
