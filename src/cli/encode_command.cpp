// kestrel-cli encode: the audio Kestrel would send for a text, as a WAV file.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "app/settings_options.h"
#include "audio_in/wav_file.h"
#include "cli/commands.h"
#include "cli/standard_streams.h"
#include "modem_state.h"
#include "transmit/offline_transmitter.h"

namespace kestrel::cli {
namespace {

constexpr const char* kEncodeUsage =
    "usage: kestrel-cli encode OUT.wav [options]     (OUT.wav - writes standard output)\n"
    "Writes the audio Kestrel sends for a text: both preamble frames, the characters with\n"
    "their shifts, the closing LTRS and the closing frame, as 16-bit PCM at the speed's\n"
    "sample rate (mono, or stereo when one channel is chosen).\n"
    "  --text TEXT          the text to send (default: read from standard input)\n"
    "  --mode M             afsk, dook or pfsk (default: TXmode, DOOK)\n"
    "  --channel C          mono, left or right (default: TXChannel, mono)\n"
    "  --settings FILE.ini  Kestrel.ini settings to start from\n"
    "  --baud B             45.45, 50 or 75\n"
    "  --mark HZ, --space HZ  the tones\n"
    "The text is typed as into the transmit window: CR becomes CR LF, {CR} a line feed,\n"
    "{TX} and Ctrl-T start, {RX} and Ctrl-T end after the text, Escape aborts.\n";

// Message boxes of the transmitter go to standard error.
struct ConsoleUi : WindowlessUi {
    int messageBox(std::string_view text, std::string_view caption, unsigned) override {
        std::fprintf(stderr, "kestrel-cli encode: %.*s%s%.*s\n", int(caption.size()),
                     caption.data(), caption.empty() ? "" : ": ", int(text.size()), text.data());
        return kIdOk;
    }
};

struct EncodeOptions {
    std::string outPath;
    std::string text;
    bool haveText = false;
};

int indexOf(const std::string& value, std::initializer_list<const char*> names) {
    int i = 0;
    for (const char* n : names) {
        if (value == n) return i;
        ++i;
    }
    return -1;
}

// "--opt=value" as "--opt value".
std::vector<std::string> splitEquals(const std::vector<std::string>& args) {
    std::vector<std::string> out;
    for (const auto& a : args) {
        const auto eq = a.find('=');
        if (a.starts_with("--") && eq != std::string::npos) {
            out.push_back(a.substr(0, eq));
            out.push_back(a.substr(eq + 1));
        } else {
            out.push_back(a);
        }
    }
    return out;
}

bool parseOptions(std::vector<std::string> args, ModemState& state, EncodeOptions& options,
                  std::string& error) {
    if (!applySettingsOptions(args, state, error)) return false;
    args = splitEquals(args);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--text" || a == "--mode" || a == "--channel";
        if (takesValue && i + 1 >= args.size()) {
            error = a + " needs a value";
            return false;
        }
        if (a == "--text") {
            options.text = args[++i];
            options.haveText = true;
        } else if (a == "--mode") {
            const int mode = indexOf(args[++i], {"afsk", "dook", "pfsk"});
            if (mode < 0) {
                error = "--mode must be afsk, dook or pfsk";
                return false;
            }
            state.TXmode = mode;
        } else if (a == "--channel") {
            const int channel = indexOf(args[++i], {"mono", "left", "right"});
            if (channel < 0) {
                error = "--channel must be mono, left or right";
                return false;
            }
            state.TXChannel = channel;
        } else if (a.starts_with("-") && a != "-") {
            error = "unknown option " + a;
            return false;
        } else if (options.outPath.empty()) {
            options.outPath = a;
        } else {
            error = "only one output file, please";
            return false;
        }
    }
    if (options.outPath.empty()) error = "no output file given";
    if (!soundCardMode(state.TXmode.load()))
        error = "TXmode keys a serial line; choose --mode afsk, dook or pfsk";
    return error.empty();
}

int encodeCommand(std::vector<std::string> args) {
    for (const auto& a : args)
        if (a == "--help" || a == "-h") {
            std::fputs(kEncodeUsage, stdout);
            return 0;
        }
    ModemState state;
    EncodeOptions options;
    std::string error;
    if (!parseOptions(args, state, options, error)) {
        std::fprintf(stderr, "kestrel-cli encode: %s\n%s", error.c_str(), kEncodeUsage);
        return 2;
    }
    if (!options.haveText)
        options.text.assign(std::istreambuf_iterator<char>(std::cin),
                            std::istreambuf_iterator<char>());

    ConsoleUi ui;
    OfflineTransmitter transmitter(state, ui);
    std::vector<std::int16_t> audio = transmitter.transmit(options.text);
    if (transmitter.overflowed()) {
        std::fprintf(stderr,
                     "kestrel-cli encode: the text does not fit the transmit buffer (%d "
                     "characters); nothing written\n",
                     kTxRingSize - 1);
        return 1;
    }
    const bool mono = state.TXChannel.load() == 0;
    if (mono) {  // both channels are the same: keep one
        for (std::size_t n = 0; n < audio.size() / 2; ++n) audio[n] = audio[2 * n];
        audio.resize(audio.size() / 2);
    }
    const auto rate = static_cast<std::uint32_t>(state.sampleRate.load());
    const bool toStdout = options.outPath == kStandardStream;
    if (toStdout) makeBinary(stdout);
    if (!(toStdout ? writeWavStream(stdout, audio, rate, mono ? 1 : 2)
                   : writeWavFile(options.outPath, audio, rate, mono ? 1 : 2))) {
        std::fprintf(stderr, "kestrel-cli encode: cannot write %s\n", options.outPath.c_str());
        return 1;
    }
    const std::size_t frames = audio.size() / (mono ? 1 : 2) / kTxFrameSamples;
    std::fprintf(stderr, "%s: %zu frames, %.2f s at %u samples/s\n", options.outPath.c_str(),
                 frames, double(frames * kTxFrameSamples) / rate, rate);
    return 0;
}

const CommandRegistration registration({"encode", "write the audio Kestrel sends for a text",
                                        encodeCommand});

}  // namespace
}  // namespace kestrel::cli
