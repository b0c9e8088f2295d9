#pragma once
// Live input on kestrel-cli's command line: --device NAME reads a sound input instead of
// a file, --list-devices names the inputs there are. Ctrl-C or SIGTERM ends the reading.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace kestrel::cli {

struct LiveInputOptions {
    std::string device;  // empty: no live input
    bool listDevices = false;
};

// Takes --device NAME and --list-devices out of args, leaving the rest in order; false
// with error set when --device has no name.
bool takeLiveInputOptions(std::vector<std::string>& args, LiveInputOptions& options,
                          std::string& error);

// Prints the inputs, one a line, as --device takes them; the command's exit code.
int listLiveInputs(std::FILE* out, const char* command);

// Reads the device in blocks of a tenth of a second, at kLiveInputRate, and hands each to
// take until Ctrl-C or SIGTERM comes or take returns false. False with error set when
// the device could not be opened or failed.
bool readLiveInput(const std::string& device,
                   const std::function<bool(std::span<const std::int16_t>)>& take,
                   std::string& error);

}  // namespace kestrel::cli
