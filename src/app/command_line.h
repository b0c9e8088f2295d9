#pragma once
// The command line a logger starts Kestrel with: "-r" and "-h<hex window handle>".
#include <cstdint>
#include <string_view>

namespace kestrel {

struct CommandLine {
    int startSwitchCount = 0;       // each "-r" and each "-h" counts once
    std::int64_t loggerWindow = 0;  // 0 when no "-h" gives one
};

// Scans the command line (without the program name). Every "-r" and "-h" anywhere
// counts, and the scan goes on after each, so a later "-h" wins.
CommandLine parseCommandLine(std::wstring_view line);

}  // namespace kestrel
