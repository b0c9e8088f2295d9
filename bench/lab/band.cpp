#include <algorithm>
#include <cmath>
#include <ctime>
#include <numbers>

#include "audio_in/wav_player.h"
#include "lab/lab.h"
#include "skim/deep_signal_decoder.h"
#include "skim/skimmer.h"
#include "skim/tone_decoder.h"

namespace kestrel::lab {
namespace {

constexpr double kBauds[] = {45.45, 50, 75};
constexpr double kSnrs[] = {0, 6, 12, 20};
constexpr const char* kPrefixes[] = {"K1", "W2",  "DL5", "G4",  "JA1", "VE3", "OH2", "F5",
                                     "I2", "SP9", "UA3", "PY2", "VK4", "ZS6", "EA7", "N0"};
constexpr double kInterfererSnrDb = 12;

std::string callOf(std::size_t k, Gaussian& g) {
    std::string call = kPrefixes[k % std::size(kPrefixes)];
    const int letters = 2 + static_cast<int>(g.nextUniform() * 2);
    for (int n = 0; n < letters; ++n) call += static_cast<char>('A' + g.nextUniform() * 26);
    return call;
}

// Power of a signal present throughout, for a given SNR against noise of variance v.
double powerFor(double snrDb, double variance, int rate) {
    return std::pow(10.0, snrDb / 10) * variance * kNoiseBandwidth / (rate / 2.0);
}

Audio interferer(int kind, double hz, double seconds, int rate, double power, Gaussian& g) {
    Audio a{rate, std::vector<double>(static_cast<std::size_t>(seconds * rate))};
    double phase = 0, sign = 1, amplitude = std::sqrt(2 * power);
    bool on = true;
    const double bpskBit = rate / 31.25;
    for (std::size_t n = 0; n < a.samples.size(); ++n) {
        phase += 2 * std::numbers::pi * hz / rate;
        double gain = 1;
        if (kind == 0) {  // CW at 25 wpm: dots of 48 ms, on and off by the seed
            if (n % static_cast<std::size_t>(0.048 * rate) == 0) on = g.nextUniform() < 0.6;
            gain = on ? 1 : 0;
        } else if (kind == 1) {  // BPSK31: a phase reversal, raised-cosine shaped
            const double inBit = std::fmod(static_cast<double>(n), bpskBit) / bpskBit;
            if (n % static_cast<std::size_t>(bpskBit) == 0 && g.nextUniform() < 0.5) sign = -sign;
            gain = sign * (inBit < 0.5 ? std::sin(std::numbers::pi * inBit) : 1.0);
        }
        a.samples[n] = amplitude * gain * std::cos(phase);
    }
    return a;
}

}  // namespace

Band makeBand(int rate, int count, double seconds, std::uint64_t seed, bool interferers) {
    Gaussian g(seed);
    Band band;
    band.noise = Audio{rate, std::vector<double>(static_cast<std::size_t>(seconds * rate))};
    const double variance = kMeasureRms * kMeasureRms / 16;
    addNoise(band.noise, variance * kNoiseBandwidth / (rate / 2.0), 0, seed + 1);
    band.audio = band.noise;
    const double low = 300, high = 0.42 * rate - 170;
    const double spacing = (high - low) / std::max(count, 1);
    for (int k = 0; k < count; ++k) {
        BandStation s;
        s.call = callOf(static_cast<std::size_t>(k), g);
        s.markHz = std::round(low + spacing * (k + 0.25 + 0.5 * g.nextUniform()));
        s.baud = kBauds[k % 3];
        s.snrDb = kSnrs[(k / 3 + k) % 4];
        s.faded = k % 3 == 2;
        s.text = "\r\nCQ TEST " + s.call + " " + s.call + "\r\nCQ TEST DE " + s.call + " " +
                 s.call + " TEST\r\nCQ " + s.call + " " + s.call + " CQ\r\n";
        Audio sent = minimodemTransmit(std::string(kLeadIn) + s.text, s.baud, rate,
                                       {s.markHz, s.markHz + 170});
        if (s.faded) sent = watterson(sent, kCcirModerate, seed + 10 + k);
        sent = scaledToRms(sent, std::sqrt(powerFor(s.snrDb, variance, rate)));
        const double start = g.nextUniform() * std::max(0.0, seconds - sent.seconds() - 1);
        s.audio = Audio{rate, std::vector<double>(band.noise.samples.size())};
        addAt(s.audio, sent, start);
        addAt(band.audio, s.audio, 0);
        band.stations.push_back(std::move(s));
    }
    if (interferers) {
        // Between stations, halfway from one's space to the next one's mark (on a tone,
        // no receiver could copy the station): CW, BPSK31 and a carrier.
        for (int kind = 0; kind < 3; ++kind) {
            const auto& s = band.stations;
            const double hz = kind + 1 < count ? 0.5 * (s[kind].markHz + 170 + s[kind + 1].markHz)
                                               : low + spacing * (kind + 0.9);
            addAt(
                band.audio,
                interferer(kind, hz, seconds, rate, powerFor(kInterfererSnrDb, variance, rate), g),
                0);
        }
    }
    return band;
}

void addAt(Audio& band, const Audio& signal, double start) {
    const auto at = static_cast<std::size_t>(start * band.rate);
    for (std::size_t n = 0; n < signal.samples.size() && at + n < band.samples.size(); ++n)
        band.samples[at + n] += signal.samples[n];
}

Audio aloneInNoise(const Band& band, std::size_t k) {
    Audio a = band.noise;
    for (std::size_t n = 0; n < a.samples.size(); ++n)
        a.samples[n] += band.stations[k].audio.samples[n];
    return a;
}

std::string SkimResult::textNear(double markHz) const {
    std::string text;
    for (const Line& l : lines)
        if (std::abs(l.markHz - markHz) < 30) text += l.text + "\n";
    return text;
}

namespace {

struct Collector final : skim::LineSink, skim::SpotSink {
    SkimResult& result;
    explicit Collector(SkimResult& r) : result(r) {}
    void line(const skim::SkimLine& l) override {
        result.lines.push_back({l.time, l.markHz, l.baud, l.text});
    }
    void spot(const skim::Spot& s) override { result.spots.push_back({s.call, s.markHz}); }
};

}  // namespace

SkimResult skim(const Audio& audio, DecodeMode mode, int mostSignals) {
    SkimResult result;
    Collector collector(result);
    skim::SkimSettings settings;
    settings.sampleRate = audio.rate;
    settings.decoder = mode == kDecodeDeep ? skim::deepDecoderKind() : skim::toneDecoderKind(mode);
    settings.mostSignals = mostSignals;
    // In whole 16-bit units, as a file or a sound card gives them, and as kestrelDecode's
    // chain gets them: the lab's generators' last bits hang on the maths library's variant
    // for the processor (cos and log with FMA or without), a sample's 16 bits do not.
    std::vector<double> samples(audio.samples.size());
    for (std::size_t n = 0; n < samples.size(); ++n)
        samples[n] = std::round(audio.samples[n]) / kWavSampleScale;
    const std::clock_t start = std::clock();
    skim::Skimmer skimmer(settings, collector, collector);
    constexpr std::size_t kChunk = 4800;
    for (std::size_t at = 0; at < samples.size(); at += kChunk) {
        skimmer.process(std::span(samples).subspan(at, std::min(kChunk, samples.size() - at)));
        result.mostSignals = std::max(result.mostSignals, skimmer.signals());
    }
    skimmer.process(std::vector<double>(static_cast<std::size_t>(audio.rate), 0.0));
    skimmer.finish();
    result.cpuSeconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    return result;
}

}  // namespace kestrel::lab
