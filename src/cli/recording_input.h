#pragma once
// The recording a command reads: FILE.wav, or "-" for standard input, with the channel of
// a stereo one chosen by --channel.
#include <string>

#include "audio_in/wav_file.h"

namespace kestrel::cli {

// --channel's value: 0 left, 1 right, -2 neither (an error); -1 stands for none given.
int channelNamed(const std::string& name);

// Opens and checks name for `command` (its name for messages). Returns 0 with file ready
// to read, or the exit code after saying why on stderr.
int openRecording(const char* command, const std::string& name, int channel, WavToPlay& file);

}  // namespace kestrel::cli
