#pragma once
// Shared by the signal tests: a minimodem transmission with silence around it, noise on
// it, the message as the logger shows it, and kestrel-cli run as a user runs it.
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "lab/lab.h"
#include "unit/scratch_folder.h"

namespace kestrel::lab {

constexpr double kSignalRms = 4000.0;

struct Transmission {
    Audio audio;         // signal with silence before and after
    double power = 0.0;  // mean square of the signal while it is on
};

inline Transmission transmit(const std::string& text, double baud = 45.45, int rate = 12000,
                             Tones tones = {}, double before = 1.0, double after = 1.5) {
    const Audio clean = scaledToRms(minimodemTransmit(text, baud, rate, tones), kSignalRms);
    return {padded(clean, before, after), kSignalRms * kSignalRms};
}

// From about 0 dB SNR down, the peaks of signal plus noise pass the 16-bit limit and
// writeWav would clip them, which changes the noise it was asked to add; the file is
// scaled down as a whole instead (the receive chain is linear, so only the SNR counts).
inline Audio withNoise(const Transmission& t, double snrDb, std::uint64_t seed) {
    Audio a = t.audio;
    addNoise(a, t.power, snrDb, seed);
    return limitedToPeak(a, 32000.0);
}

// The sent text as the logger shows it: carriage return and line feed make one new line
// (the second is dropped as a doubled newline), without the new lines at either end.
inline std::string loggerLines(const std::string& sent) {
    std::string out;
    for (const char c : sent) {
        const char ch = c == '\r' ? '\n' : c;
        if (ch == '\n' && (out.empty() || out.back() == '\n')) continue;
        out += ch;
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

// What a shell command line did: its exit status, standard output and standard error.
struct CliRun {
    int status = -1;
    std::string out, err;
};
inline CliRun shell(const std::string& command) {
    CliRun run;
    const auto errPath = tempWavPath("cli").replace_extension(".err");
    if (std::FILE* pipe = popen(("(" + command + ") 2>'" + errPath.string() + "'").c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            run.out.append(buffer, n);
        const int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    run.err = ScratchFolder::read(errPath.string());
    std::filesystem::remove(errPath);
    return run;
}
#ifndef KESTREL_CLI_PATH
#define KESTREL_CLI_PATH "kestrel-cli"
#endif
inline std::string cliProgram() {
    const char* fromEnvironment = std::getenv("KESTREL_CLI");
    return fromEnvironment ? fromEnvironment : KESTREL_CLI_PATH;
}
// kestrel-cli run with arguments (a shell command line) and, when given, input on standard
// input.
inline CliRun cli(const std::string& arguments, const std::string& input = "") {
    const std::string command = "'" + cliProgram() + "' " + arguments;
    return shell(input.empty() ? command : "printf '%s' '" + input + "' | " + command);
}

// A pin on the exact copy decoders give of a test's files: FNV-1a over a record of it,
// going on from `pin` so one pin holds several copies. Any change to a decoder's detail
// moves it, even where the copy's errors stay as many. A change meant is measured with
// receive_quality first; then the pin takes the value the failing test prints.
constexpr std::uint64_t kUnpinned = 14695981039346656037ull;
inline std::uint64_t pinOf(std::uint64_t pin, std::uint64_t word) {
    return (pin ^ word) * 1099511628211ull;
}
// A decode's every notification, with the sample it came at.
inline std::uint64_t pinOf(const KestrelResult& r, std::uint64_t pin) {
    for (const KestrelPost& p : r.posts)
        pin = pinOf(pinOf(pinOf(pin, p.sample), p.code), static_cast<std::uint64_t>(p.value));
    return pin;
}
// A skimmer's every line, with its time, tone and speed to 0.01 s, 0.1 Hz and 0.01 Bd.
inline std::uint64_t pinOf(const SkimResult& r, std::uint64_t pin) {
    for (const SkimResult::Line& l : r.lines) {
        for (const double v : {l.time * 100, l.markHz * 10, l.baud * 100})
            pin = pinOf(pin, static_cast<std::uint64_t>(std::llround(v)));
        for (const unsigned char c : l.text) pin = pinOf(pin, c);
    }
    return pin;
}

inline KestrelSettings settingsFor(DecodeMode mode, double baud = 45.45) {
    return {.baud = baud, .mode = mode};
}

}  // namespace kestrel::lab
