// kestrel-cli record --device NAME OUT.wav: what a sound input hears, to a file, so that
// the input's level and tuning can be checked and the recording decoded or skimmed later.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "audio_in/wav_file.h"
#include "cli/commands.h"
#include "cli/live_input.h"
#include "cli/standard_streams.h"
#include "platform/audio_input_port.h"
#include "text/numbers.h"

namespace kestrel::cli {
namespace {

constexpr const char* kUsage =
    "usage: kestrel-cli record --device NAME [--seconds S] OUT.wav   (OUT.wav - writes standard "
    "output)\n"
    "       kestrel-cli record --list-devices\n"
    "Records a sound input (48000 samples/s, mono) until S seconds have passed or Ctrl-C.\n";

int fail(const std::string& message) {
    std::fprintf(stderr, "kestrel-cli record: %s\n", message.c_str());
    return 1;
}

int record(std::vector<std::string> args) {
    for (const auto& a : args)
        if (a == "--help" || a == "-h") return std::fputs(kUsage, stdout), 0;
    LiveInputOptions live;
    std::string error;
    double seconds = -1;
    std::string out;
    bool usable = takeLiveInputOptions(args, live, error);
    for (std::size_t k = 0; usable && k < args.size(); ++k) {
        if (args[k] == "--seconds" && k + 1 < args.size()) {
            const std::string& v = args[++k];
            seconds = numberIn<double>(v).value_or(-1);
            usable = seconds > 0;
            if (!usable) error = "--seconds takes a positive number, not '" + v + "'";
        } else if (args[k].size() > 1 && args[k][0] == '-') {
            usable = false;
            error = "unknown option '" + args[k] + "'";
        } else {
            usable = out.empty();
            if (!usable) error = "only one OUT.wav, please";
            out = args[k];
        }
    }
    if (usable && live.listDevices) return listLiveInputs(stdout, "record");
    if (usable && (live.device.empty() || out.empty()))
        usable = false, error = "--device and OUT.wav, please";
    if (!usable) {
        std::fprintf(stderr, "kestrel-cli record: %s\n%s", error.c_str(), kUsage);
        return 2;
    }

    const bool toStdout = out == kStandardStream;
    if (toStdout) makeBinary(stdout);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        toStdout ? nullptr : std::fopen(out.c_str(), "wb"), std::fclose);
    std::FILE* stream = toStdout ? stdout : file.get();
    if (!stream) return fail("cannot write " + out);
    // A pipe is told that the data runs to its end; a file gets its length at the end.
    auto header = wavHeader(0, kLiveInputRate, 1);
    bool written = std::fwrite(header.data(), 1, header.size(), stream) == header.size();
    const std::uint64_t wanted =
        seconds > 0 ? static_cast<std::uint64_t>(seconds * kLiveInputRate) : UINT64_MAX;
    std::uint64_t count = 0;
    const bool read = readLiveInput(
        live.device,
        [&](std::span<const std::int16_t> block) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), wanted - count));
            written = written && std::fwrite(block.data(), sizeof block[0], n, stream) == n;
            if (toStdout) std::fflush(stdout);
            count += n;
            return written && count < wanted;
        },
        error);
    if (!toStdout && written) {
        header = wavHeader(
            static_cast<std::uint32_t>(std::min<std::uint64_t>(count, UINT32_MAX / 2 - 22)),
            kLiveInputRate, 1);
        written = std::fseek(stream, 0, SEEK_SET) == 0 &&
                  std::fwrite(header.data(), 1, header.size(), stream) == header.size();
    }
    written = written && std::fflush(stream) == 0;
    if (!read) return fail(live.device + ": " + error);
    if (!written) return fail("cannot write " + out);
    return 0;
}

const CommandRegistration registration({"record", "record a sound input to a .wav file", record});

}  // namespace
}  // namespace kestrel::cli
