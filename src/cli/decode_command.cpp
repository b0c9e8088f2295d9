// kestrel-cli decode FILE.wav: plays a recording through the receive chain exactly as the
// "Play WAV file" menu command does and prints what the logger would receive.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/settings_options.h"
#include "app/status_texts.h"
#include "audio_in/receive_chain.h"
#include "audio_in/wav_player.h"
#include "cli/commands.h"
#include "cli/recording_input.h"
#include "cli/standard_streams.h"
#include "cli/terminal.h"
#include "frontend/spectrum_view.h"
#include "link/logger_code_names.h"
#include "platform/logger_codes.h"
#include "text/jsonl.h"
#include "text/wide_text.h"

namespace kestrel::cli {
namespace {

constexpr const char* kUsage =
    "usage: kestrel-cli decode [options] FILE.wav     (FILE.wav - reads standard input)\n"
    "Plays FILE.wav through Kestrel's receive chain and prints the received text.\n"
    "  --settings FILE.ini   read Kestrel.ini keys from FILE.ini first\n"
    "  --baud 45.45|50|75    --mark HZ    --space HZ\n"
    "  --mode flutter|selectiv|spread|deep   (default selectiv)\n"
    "  --channel left|right  the channel of a stereo file\n"
    "  --format text|jsonl   (text)      jsonl: one JSON event per line, with its time\n"
    "  --afc on|off          (on)        --reverse\n"
    "  --squelch on|off      (on)        --contest on|off      (on)\n"
    "  --newline on|off      (off)       new signal, new line\n"
    "  --repeat-match on|off (on)        --same-reject on|off  (on)\n"
    "  --events              every logger notification and status text to stderr\n"
    "  --trace FILE.csv      one row per decided envelope sample\n";

struct DecodeArgs {
    std::string file;
    bool events = false;
    bool jsonl = false;
    int channel = -1;  // of a stereo file: 0 left, 1 right; -1 none chosen
    std::string tracePath;
};

// Takes "--name VALUE" where VALUE is on or off into flag (1 for on unless inverted).
bool onOff(const std::string& value, std::atomic<int>& flag, bool onMeansZero, std::string& error,
           const std::string& option) {
    if (value != "on" && value != "off") {
        error = option + " takes on or off, not '" + value + "'";
        return false;
    }
    flag = (value == "on") != onMeansZero ? 1 : 0;
    return true;
}

bool parseArgs(std::vector<std::string> args, ModemState& state, DecodeArgs& out,
               std::string& error) {
    if (!applySettingsOptions(args, state, error)) return false;
    // As under a logger, whose handshake turns the squelch on with its default switch word.
    state.SquelchState = 1;
    const std::map<std::string, std::pair<std::atomic<int>*, bool>> switches = {
        {"--afc", {&state.afcOff, true}},
        {"--squelch", {&state.SquelchState, false}},
        {"--contest", {&state.Contest, false}},
        {"--newline", {&state.NewsigNewline, false}},
        {"--repeat-match", {&state.CorrelateState, false}},
        {"--same-reject", {&state.CorrelateStateSame, false}},
    };
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        const bool hasValue = k + 1 < args.size();
        if (const auto s = switches.find(a); s != switches.end()) {
            if (!hasValue) return error = a + " needs on or off", false;
            if (!onOff(args[++k], *s->second.first, s->second.second, error, a)) return false;
        } else if (a == "--mode") {
            if (!hasValue) return error = "--mode needs flutter, selectiv, spread or deep", false;
            const std::string& m = args[++k];
            const int mode = decodeModeNamed(m);
            if (mode < 0)
                return error = "--mode takes flutter, selectiv, spread or deep, not '" + m + "'",
                       false;
            state.Decodemode = mode;
        } else if (a == "--channel") {
            const std::string c = hasValue ? args[++k] : "";
            out.channel = channelNamed(c);
            if (out.channel < 0) return error = "--channel takes left or right", false;
        } else if (a == "--format") {
            const std::string f = hasValue ? args[++k] : "";
            if (f != "text" && f != "jsonl") return error = "--format takes text or jsonl", false;
            out.jsonl = f == "jsonl";
        } else if (a == "--reverse") {
            state.rxReverse = 1;
        } else if (a == "--events") {
            out.events = true;
        } else if (a == "--trace") {
            if (!hasValue) return error = "--trace needs a file name", false;
            out.tracePath = args[++k];
        } else if (a.size() > 1 && a[0] == '-') {  // "-" alone is standard input
            return error = "unknown option '" + a + "'", false;
        } else if (!out.file.empty()) {
            return error = "only one file, please ('" + out.file + "', '" + a + "')", false;
        } else {
            out.file = a;
        }
    }
    if (out.file.empty()) return error = "no FILE.wav given", false;
    return true;
}

// Where the chain's output goes: received characters to stdout as UTF-8, or as jsonl
// events; with --events every notification and status text to stderr, stamped with the
// time of the sample being processed.
class CliPorts final : public LoggerPort, public WindowlessUi, public ReceiveMeasurements {
  public:
    CliPorts(const DecodeArgs& options, const ModemState& state)
        : events_(options.events),
          jsonl_(options.jsonl),
          state_(state),
          statusTexts_(*this, *this) {}

    // Samples handed to the chain so far, the one being processed included.
    std::uint64_t samples = 0;

    bool post(std::uint32_t code, std::int64_t value) override {
        if (code == TXM_CHAR) {
            const std::string text = utf8FromUnit(static_cast<char16_t>(value));
            if (jsonl_)
                pendingText_ += text;
            else
                std::fwrite(text.data(), 1, text.size(), stdout);
        }
        if (events_) {
            std::fprintf(stderr, "%.6f %s %" PRId64, seconds(), mmttyCodeName(code).c_str(), value);
            if (code == TXM_CHAR)
                std::fprintf(stderr, " '%s'", visible(static_cast<char16_t>(value)).c_str());
            std::fputc('\n', stderr);
        }
        return true;
    }
    int messageBox(std::string_view text, std::string_view caption, unsigned) override {
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                     static_cast<int>(text.size()), text.data());
        return kIdOk;
    }
    void setStatusText(int part, std::string_view text) override {
        if (events_)
            std::fprintf(stderr, "%.6f status %d \"%.*s\"\n", seconds(), part,
                         static_cast<int>(text.size()), text.data());
    }

    // The measurements go to the status texts (shown with --events) and to jsonl.
    // A measurement becomes an event when it changes: the chain repeats it after every
    // character.
    void tuningOffset(int hz) override {
        statusTexts_.tuningOffset(hz);
        changed("tuning", ",\"hz\":" + std::to_string(hz));
    }
    void bitLength(int ms) override {
        statusTexts_.bitLength(ms);
        changed("stop", ",\"ms\":" + std::to_string(ms));
    }
    void signalToNoise(std::optional<int> db) override {
        statusTexts_.signalToNoise(db);
        changed("snr", ",\"db\":" + (db ? std::to_string(*db) : std::string("null")));
    }
    // The logger hears the AFC's tones; jsonl gives them to the hertz.
    void afcTones(double markHz, double spaceHz) override {
        statusTexts_.afcTones(markHz, spaceHz);
        char fields[64];
        std::snprintf(fields, sizeof fields, ",\"mark_hz\":%.1f,\"space_hz\":%.1f", markHz,
                      spaceHz);
        changed("afc", fields);
    }
    void spectrumReady() override {}
    void spectrumFailed() override { statusTexts_.spectrumFailed(); }

    // The characters printed while one sample was processed make one text event. Written
    // at once, so that a script reading a live stream sees them when Kestrel prints them.
    void endOfSample() {
        if (pendingText_.empty()) return;
        std::string fields = ",\"text\":";
        appendJsonString(fields, pendingText_);
        pendingText_.clear();
        event("text", fields);
    }

  private:
    double seconds() const { return static_cast<double>(samples) / state_.sampleRate.load(); }
    static std::string visible(char16_t c) { return c == u'\n' ? "\\n" : utf8FromUnit(c); }
    void event(std::string_view type, const std::string& fields) {
        if (!jsonl_) return;
        if (type != "text") endOfSample();  // keep the order things happened in
        const std::string line = jsonlEvent(type, seconds(), fields);
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }

    void changed(const std::string& type, const std::string& fields) {
        std::string& last = lastMeasurement_[type];
        if (fields == last) return;
        last = fields;
        event(type, fields);
    }

    bool events_, jsonl_;
    const ModemState& state_;
    StatusTexts statusTexts_;
    std::string pendingText_;
    std::map<std::string, std::string> lastMeasurement_;  // by event type
};

class CsvTrace final : public FramingTrace {
  public:
    explicit CsvTrace(std::FILE* out) : out_(out) {
        std::fputs(
            "n,markEnv,spaceEnv,tM,tS,powerDiff,rawSpace,decidedSpace,bitClock,"
            "framingErrors,snrFigure\n",
            out_);
    }
    void traceSample(const FramingTraceRow& r) override {
        std::fprintf(out_, "%" PRId64 ",%.17g,%.17g,%.17g,%.17g,%.17g,%d,%d,%d,%d,%.17g\n", r.n,
                     r.markEnv, r.spaceEnv, r.tM, r.tS, r.powerDiff, r.rawSpace, r.decidedSpace,
                     r.bitClock, r.framingErrors, r.snrFigure);
    }

  private:
    std::FILE* out_;
};

int decode(std::vector<std::string> args) {
    for (const auto& a : args)
        if (a == "--help" || a == "-h") return std::fputs(kUsage, stdout), 0;
    ModemState state;
    DecodeArgs options;
    std::string error;
    if (!parseArgs(std::move(args), state, options, error)) {
        std::fprintf(stderr, "kestrel-cli decode: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    WavToPlay file;
    const bool fromStdin = options.file == kStandardStream;
    if (const int failed = openRecording("decode", options.file, options.channel, file))
        return failed;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> trace(nullptr, std::fclose);
    if (!options.tracePath.empty()) {
        // Opening the trace empties it: it must not be the recording under another name.
        std::error_code ignored;
        if (std::filesystem::equivalent(options.tracePath, options.file, ignored)) {
            std::fprintf(stderr, "kestrel-cli decode: the trace %s is the recording itself\n",
                         options.tracePath.c_str());
            return 2;
        }
        trace.reset(std::fopen(options.tracePath.c_str(), "wb"));
        if (!trace) {
            std::fprintf(stderr, "kestrel-cli decode: cannot write %s\n",
                         options.tracePath.c_str());
            return 1;
        }
    }
    CliPorts ports(options, state);
    NoSaveTextFile noFile;
    ReceiveChain chain(state, ports, ports, noFile);
    std::optional<CsvTrace> csv;
    if (trace) chain.setTrace(&csv.emplace(trace.get()));

    // A stream's length is known only at its end.
    Progress progress(stderrIsTerminal() && !fromStdin,
                      static_cast<double>(file.layout.sampleCount / file.layout.channels) /
                          file.layout.sampleRate);
    state.wavPlaying = 1;
    wavPlayer(
        file, state,
        [&](double x) {
            ports.endOfSample();  // the player's opening line feeds, at 0
            ++ports.samples;
            chain.processSample(x);
            ports.endOfSample();
            progress.show(static_cast<double>(ports.samples) / state.sampleRate.load());
        },
        [&](char16_t c) { chain.emitReceivedChar(c); },
        static_cast<std::uint64_t>(kWavTailSeconds * state.sampleRate.load()));
    ports.endOfSample();  // the player's closing line feeds
    progress.finish();
    bool written = std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!written) std::fputs("kestrel-cli decode: cannot write the received text\n", stderr);
    if (trace && (std::ferror(trace.get()) || std::fclose(trace.release()) != 0)) {
        std::fprintf(stderr, "kestrel-cli decode: cannot write %s\n", options.tracePath.c_str());
        written = false;
    }
    return written ? 0 : 1;
}

const CommandRegistration registration({"decode",
                                        "play FILE.wav through the receiver, print the text",
                                        decode});

}  // namespace
}  // namespace kestrel::cli
