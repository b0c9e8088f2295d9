// kestrel-cli skim FILE.wav: every RTTY signal in the recording's passband decoded at once,
// one line per signal and decoded line, and the stations calling CQ spotted.
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "audio_in/wav_player.h"
#include "cli/commands.h"
#include "cli/live_input.h"
#include "cli/recording_input.h"
#include "frontend/spectrum_view.h"
#include "platform/audio_input_port.h"
#include "platform/interrupt.h"
#include "skim/cluster_service.h"
#include "skim/deep_signal_decoder.h"
#include "skim/skimmer.h"
#include "skim/tone_decoder.h"
#include "text/jsonl.h"
#include "text/numbers.h"

namespace kestrel::cli {
namespace {

constexpr const char* kUsage =
    "usage: kestrel-cli skim [options] FILE.wav     (FILE.wav - reads standard input)\n"
    "       kestrel-cli skim [options] --device NAME | --list-devices\n"
    "Decodes every RTTY signal in FILE.wav or a sound input and spots the stations\n"
    "calling CQ.\n"
    "  --channel left|right  the channel of a stereo file\n"
    "  --format text|jsonl   (text)      jsonl: one JSON event per line\n"
    "  --dial KHZ            the receiver's dial: frequencies as RF in kHz\n"
    "  --sideband lsb|usb    (lsb)       RF of the mark: dial - tone, or dial + tone\n"
    "  --shift HZ            (170)       --baud 45.45|50|75  (every one of them)\n"
    "  --mode flutter|selectiv|spread|deep   (deep)\n"
    "  --max-signals N       signals decoded at once (one per two shifts of the band)\n"
    "  --telnet PORT         serve the spots as a DX cluster node (0: any free port)\n"
    "  --listen ADDR         (127.0.0.1) --spotter CALL (KESTREL)\n";

struct SkimArgs {
    std::string file;
    int channel = -1;
    bool jsonl = false;
    skim::SkimSettings settings;
    DecodeMode mode = kDecodeDeep;
};

bool parseArgs(const std::vector<std::string>& args, SkimArgs& out, std::string& error) {
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        const std::string value = k + 1 < args.size() ? args[k + 1] : "";
        const bool takesValue = a.size() > 2 && a.rfind("--", 0) == 0;
        if (takesValue) ++k;
        const double v = numberIn<double>(value).value_or(-1);
        if (a == "--channel") {
            if ((out.channel = channelNamed(value)) < 0)
                return error = "--channel takes left or right", false;
        } else if (a == "--format") {
            if (value != "text" && value != "jsonl")
                return error = "--format takes text or jsonl", false;
            out.jsonl = value == "jsonl";
        } else if (a == "--dial") {
            if (v <= 0) return error = "--dial takes a frequency in kHz", false;
            out.settings.dial.khz = v;
        } else if (a == "--sideband") {
            if (value != "lsb" && value != "usb")
                return error = "--sideband takes lsb or usb", false;
            out.settings.dial.upperSideband = value == "usb";
        } else if (a == "--shift") {
            if (v < 50 || v > 1000) return error = "--shift takes a shift in Hz, 50 to 1000", false;
            out.settings.shiftHz = v;
        } else if (a == "--baud") {
            if (value != "45.45" && value != "45" && value != "50" && value != "75")
                return error = "--baud takes 45.45, 50 or 75", false;
            out.settings.bauds = {value == "50" ? 50.0 : value == "75" ? 75.0 : 45.45};
        } else if (a == "--mode") {
            const int mode = decodeModeNamed(value);
            if (mode < 0) return error = "--mode takes flutter, selectiv, spread or deep", false;
            out.mode = static_cast<DecodeMode>(mode);
        } else if (a == "--max-signals") {
            if (v < 1 || v > 1000)
                return error = "--max-signals takes a number from 1 to 1000", false;
            out.settings.mostSignals = static_cast<int>(v);
        } else if (takesValue || (a.size() > 1 && a[0] == '-')) {
            return error = "unknown option '" + a + "'", false;
        } else if (!out.file.empty()) {
            return error = "only one file, please ('" + out.file + "', '" + a + "')", false;
        } else {
            out.file = a;
        }
    }
    return true;
}

std::string clock(double seconds) {
    const long s = static_cast<long>(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    return text;
}

// Every spot to each of the outputs that wants it.
class SpotFanOut final : public skim::SpotSink {
  public:
    explicit SpotFanOut(std::vector<skim::SpotSink*> sinks) : sinks_(std::move(sinks)) {}
    void spot(const skim::Spot& s) override {
        for (skim::SpotSink* sink : sinks_)
            if (sink) sink->spot(s);
    }

  private:
    std::vector<skim::SpotSink*> sinks_;
};

// The decoded lines and spots on standard output, as text or as JSON lines.
class Printer final : public skim::LineSink, public skim::SpotSink {
  public:
    Printer(bool jsonl, skim::Dial dial) : jsonl_(jsonl), dial_(dial) {}

    void line(const skim::SkimLine& l) override {
        if (jsonl_) {
            char fields[96];
            std::snprintf(fields, sizeof fields,
                          ",\"mark_hz\":%.1f,\"baud\":%d,\"text\":", l.markHz,
                          static_cast<int>(l.baud));
            std::string f = fields;
            appendJsonString(f, l.text);
            write(jsonlEvent("text", l.time, f));
        } else {
            write(lead(l.time, l.markHz, l.baud, l.snrDb) + l.text + "\n");
        }
    }

    void spot(const skim::Spot& s) override {
        if (jsonl_) {
            char fields[160];
            int n = std::snprintf(fields, sizeof fields, ",\"mark_hz\":%.1f", s.markHz);
            if (s.freqKhz)
                n += std::snprintf(fields + n, sizeof fields - n, ",\"freq_khz\":%.1f", *s.freqKhz);
            std::string f(fields, static_cast<std::size_t>(n));
            f += ",\"call\":";
            appendJsonString(f, s.call);
            std::snprintf(fields, sizeof fields, ",\"snr_db\":%d,\"baud\":%d,\"kind\":", s.snrDb,
                          s.baud);
            f += fields;
            appendJsonString(f, s.kind);
            write(jsonlEvent("spot", s.time, f));
        } else {
            write(lead(s.time, s.markHz, s.baud, s.snrDb) + "spot " + s.call + " " + s.kind + "\n");
        }
    }

  private:
    std::string lead(double time, double markHz, double baud, int snrDb) const {
        char text[96];
        if (dial_.khz)
            std::snprintf(text, sizeof text, "%s  %.1f kHz  %2d Bd  %+3d dB  ", clock(time).c_str(),
                          *dial_.khz + (dial_.upperSideband ? markHz : -markHz) / 1000.0,
                          static_cast<int>(baud), snrDb);
        else
            std::snprintf(text, sizeof text, "%s  %6.1f Hz  %2d Bd  %+3d dB  ", clock(time).c_str(),
                          markHz, static_cast<int>(baud), snrDb);
        return text;
    }
    static void write(const std::string& text) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }

    bool jsonl_;
    skim::Dial dial_;
};

int skimCommand(std::vector<std::string> args) {
    for (const auto& a : args)
        if (a == "--help" || a == "-h") return std::fputs(kUsage, stdout), 0;
    SkimArgs options;
    LiveInputOptions live;
    skim::ClusterOptions cluster;
    std::string error;
    const bool parsed = takeLiveInputOptions(args, live, error) &&
                        skim::takeClusterOptions(args, cluster, error) &&
                        parseArgs(args, options, error);
    if (parsed && live.listDevices) return listLiveInputs(stdout, "skim");
    if (parsed && options.file.empty() == live.device.empty())
        error = live.device.empty() ? "no FILE.wav given" : "a file or --device, not both";
    if (!error.empty()) {
        std::fprintf(stderr, "kestrel-cli skim: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    WavToPlay file;
    if (live.device.empty()) {
        if (const int failed = openRecording("skim", options.file, options.channel, file))
            return failed;
        options.settings.sampleRate = file.layout.sampleRate;
    } else {
        options.settings.sampleRate = kLiveInputRate;
    }
    if (options.settings.sampleRate > 192000) {
        std::fprintf(stderr, "kestrel-cli skim: %s: rates above 192000 samples/s are not skimmed\n",
                     options.file.c_str());
        return 1;
    }
    options.settings.decoder =
        options.mode == kDecodeDeep ? skim::deepDecoderKind() : skim::toneDecoderKind(options.mode);

    // Spot times count from the input's start: UTC for a live input, the file's own
    // clock from 0000Z for a file.
    std::unique_ptr<skim::ClusterService> service;
    if (cluster.port >= 0) {
        service = skim::startClusterService(
            cluster, live.device.empty() ? 0 : static_cast<std::int64_t>(std::time(nullptr)),
            stderr, error);
        if (!service) {
            std::fprintf(stderr, "kestrel-cli skim: %s\n", error.c_str());
            return 1;
        }
    }
    Printer printer(options.jsonl, options.settings.dial);
    SpotFanOut spots({&printer, service.get()});
    skim::Skimmer skimmer(options.settings, printer, spots);
    catchInterrupts();
    std::vector<double> samples;
    std::uint64_t taken = 0;
    const auto take = [&](std::span<const std::int16_t> chunk) {
        samples.resize(chunk.size());
        for (std::size_t k = 0; k < chunk.size(); ++k) samples[k] = chunk[k] / kWavSampleScale;
        skimmer.process(samples);
        taken += chunk.size();
        if (service) service->inputTime(static_cast<double>(taken) / options.settings.sampleRate);
        return !interruptRequested;
    };
    if (live.device.empty()) {
        readWavChannel(file, take);
    } else if (!readLiveInput(live.device, take, error)) {
        std::fprintf(stderr, "kestrel-cli skim: %s\n", error.c_str());
        return 1;
    }
    // A second of silence carries the last characters through the filters.
    if (!interruptRequested) {
        samples.assign(static_cast<std::size_t>(options.settings.sampleRate), 0.0);
        skimmer.process(samples);
    }
    skimmer.finish();
    const bool written = std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!written) std::fputs("kestrel-cli skim: cannot write the output\n", stderr);
    // The service outlives a file, so that a logger still finds its spots.
    if (service) {
        waitForInterrupt();
        service->stop();
    }
    return written ? 0 : 1;
}

const CommandRegistration registration({"skim", "decode every RTTY signal in FILE.wav, spot CQs",
                                        skimCommand});

}  // namespace
}  // namespace kestrel::cli
