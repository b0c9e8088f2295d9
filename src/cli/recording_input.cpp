#include "cli/recording_input.h"

#include <cstdio>
#include <memory>

#include "cli/standard_streams.h"

namespace kestrel::cli {

int channelNamed(const std::string& name) {
    return name == "left" ? 0 : name == "right" ? 1 : -2;
}

int openRecording(const char* command, const std::string& name, int channel, WavToPlay& file) {
    const bool fromStdin = name == kStandardStream;
    if (fromStdin) makeBinary(stdin);
    const char* message = fromStdin
                              ? openWavToPlay(std::make_unique<StreamByteSource>(stdin), file, 2)
                              : openWavToPlay(name, file, 2);
    if (message) {
        std::fprintf(stderr, "kestrel-cli %s: %s: %s\n", command, name.c_str(), message);
        return 1;
    }
    if (file.layout.channels > 1 && channel < 0) {
        std::fprintf(stderr,
                     "kestrel-cli %s: %s is stereo: choose its channel with --channel left "
                     "or --channel right\n",
                     command, name.c_str());
        return 2;
    }
    file.channel = file.layout.channels > 1 ? channel : 0;
    return 0;
}

}  // namespace kestrel::cli
