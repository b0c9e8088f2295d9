#include "loggersim/options.h"

#include <cstdio>

#include "loggersim/traffic.h"

namespace kestrel {
namespace {

constexpr std::string_view kUsage =
    "usage: loggersim [OPTIONS] KESTREL_EXE [SCENARIO]\n"
    "Creates the shared block \"MMTTY\" and a logger window, starts KESTREL_EXE with\n"
    "\"-r -h<window>\" and logs every notification. With SCENARIO it runs the scenario and\n"
    "exits 0 when every expectation held, 1 when one failed, 2 when it could not run;\n"
    "without, it opens a window to send text and watch what comes back.\n"
    "  --log FILE                 also write the log to FILE\n"
    "  --parent-title TEXT        put the logger window inside a window with this title\n"
    "  --grandparent-title TEXT   and that window inside one with this title\n"
    "  --block-size BYTES         size of the shared block (default 32768)\n"
    "  --no-block                 do not create the shared block\n"
    "  --args TEXT                Kestrel's command line; {hwnd} is the logger window\n"
    "                             (default \"-r -h{hwnd}\")\n";

bool takesValue(std::string_view option) {
    return option == "--log" || option == "--parent-title" || option == "--grandparent-title" ||
           option == "--block-size" || option == "--args";
}

ParsedOptions failed(std::string error) {
    return {std::nullopt, std::move(error)};
}

// Applies an option with a value; an error text when the value is not acceptable.
std::optional<std::string> applyValue(LoggersimOptions& o, std::string_view option,
                                      const std::string& value) {
    if (option == "--log") o.logPath = value;
    if (option == "--parent-title") o.parentTitle = value;
    if (option == "--grandparent-title") o.grandparentTitle = value;
    if (option == "--args") o.engineArguments = value;
    if (option != "--block-size") return std::nullopt;
    const std::optional<std::int64_t> size = parseInteger(value);
    if (!size || *size <= 0) return "--block-size needs a positive number of bytes";
    o.blockSize = static_cast<std::size_t>(*size);
    return std::nullopt;
}

}  // namespace

ParsedOptions parseLoggersimOptions(std::span<const std::string> args) {
    LoggersimOptions options;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--no-block") {
            options.createBlock = false;
        } else if (takesValue(arg)) {
            if (i + 1 == args.size()) return failed(arg + " needs a value");
            if (auto error = applyValue(options, arg, args[++i])) return failed(*error);
        } else if (arg.starts_with("--")) {
            return failed("unknown option " + arg);
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.empty()) return failed("which Kestrel.exe to start?");
    if (positional.size() > 2) return failed("too many arguments: " + positional[2]);
    options.enginePath = positional[0];
    if (positional.size() == 2) options.scenarioPath = positional[1];
    return {options, {}};
}

std::string_view loggersimUsage() {
    return kUsage;
}

std::vector<std::string> loggerWindowChain(const LoggersimOptions& options) {
    std::vector<std::string> chain;
    if (options.grandparentTitle) chain.push_back(*options.grandparentTitle);
    if (options.parentTitle || options.grandparentTitle)
        chain.push_back(options.parentTitle.value_or(""));
    if (chain.empty() && !options.scenarioPath) chain.emplace_back(kInteractiveFrameTitle);
    return chain;
}

std::string engineCommandLine(std::string_view arguments, std::uint64_t loggerWindow) {
    constexpr std::string_view kPlace = "{hwnd}";
    char hex[24];
    std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(loggerWindow));
    std::string line;
    for (std::size_t pos = 0;;) {
        const std::size_t at = arguments.find(kPlace, pos);
        line += arguments.substr(pos, at - pos);
        if (at == std::string_view::npos) return line;
        line += hex;
        pos = at + kPlace.size();
    }
}

}  // namespace kestrel
