#pragma once
// loggersim's command line: which Kestrel.exe to start, the scenario to run (none opens
// the interactive window), and how the logger side is set up.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

inline constexpr std::size_t kDefaultSharedBlockSize = 32768;
inline constexpr std::string_view kDefaultEngineArguments = "-r -h{hwnd}";
// The window that holds the logger window in the interactive mode, when no title is
// given: a title that names digital interface 1, as a contest logger's would.
inline constexpr std::string_view kInteractiveFrameTitle = "DI1 loggersim";

struct LoggersimOptions {
    std::string enginePath;
    std::optional<std::string> scenarioPath;  // none: the interactive window
    std::optional<std::string> logPath;
    std::optional<std::string> parentTitle;
    std::optional<std::string> grandparentTitle;
    std::size_t blockSize = kDefaultSharedBlockSize;
    bool createBlock = true;
    std::string engineArguments{kDefaultEngineArguments};
};

struct ParsedOptions {
    std::optional<LoggersimOptions> options;
    std::string error;  // when options is empty
};

ParsedOptions parseLoggersimOptions(std::span<const std::string> args);

std::string_view loggersimUsage();

// The titles of the windows around the logger window, outermost first. A grandparent
// implies a parent (with an empty title unless one is given). The interactive window
// is always the outermost one; it gets kInteractiveFrameTitle when no title is given.
std::vector<std::string> loggerWindowChain(const LoggersimOptions& options);

// Kestrel's command line: the arguments with every "{hwnd}" replaced by the window
// handle in upper-case hexadecimal.
std::string engineCommandLine(std::string_view arguments, std::uint64_t loggerWindow);

}  // namespace kestrel
