#pragma once
// Scenario files for the logger substitute (loggersim): what to send to Kestrel, how long
// to wait, and what Kestrel must answer. The grammar is documented at the top of
// mmtty_scenario.cpp and in docs/loggersim.md.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kestrel {

// How long an expectation waits when the line names no time.
inline constexpr std::int64_t kDefaultWithinMs = 5000;

// One command to post to Kestrel. With useLoggerHandle the value is the logger's own
// window handle, known only at run time.
struct ScenarioCommand {
    std::uint32_t code = 0;
    std::int64_t value = 0;
    bool useLoggerHandle = false;
    bool operator==(const ScenarioCommand&) const = default;
};

struct SendStep {  // send, text
    std::vector<ScenarioCommand> commands;
};
struct WaitStep {
    std::int64_t ms = 0;
};
struct ExpectStep {
    std::uint32_t code = 0;
    std::optional<std::int64_t> value;  // none: any value
    std::int64_t withinMs = kDefaultWithinMs;
};
struct ExpectNoneStep {
    std::uint32_t code = 0;
    std::optional<std::int64_t> value;
    std::int64_t forMs = 0;
};
struct ExpectTextStep {
    std::string text;
    std::int64_t withinMs = kDefaultWithinMs;
};
struct ExpectMessageBoxStep {
    std::string caption;
    std::optional<std::string> text;  // none: any text
    std::int64_t withinMs = kDefaultWithinMs;
};
struct ExpectNoMessageBoxStep {
    std::optional<std::string> caption;  // none: any caption
    std::int64_t forMs = 0;
};
struct ExpectTitleStep {
    std::string title;
    std::int64_t withinMs = kDefaultWithinMs;
};
struct ExpectExitStep {
    std::optional<std::int64_t> exitCode;  // none: any exit code
    std::int64_t withinMs = kDefaultWithinMs;
};
struct SharedBytesStep {
    std::size_t offset = 0;
    std::vector<std::uint8_t> bytes;
};
struct OpenFileStep {
    std::string path;
    std::int64_t withinMs = kDefaultWithinMs;
};

using ScenarioAction = std::variant<SendStep, WaitStep, ExpectStep, ExpectNoneStep, ExpectTextStep,
                                    ExpectMessageBoxStep, ExpectNoMessageBoxStep, ExpectTitleStep,
                                    ExpectExitStep, SharedBytesStep, OpenFileStep>;

struct ScenarioStep {
    int line = 0;        // 1-based line in the file
    std::string source;  // the line as written, for the log and failure reports
    ScenarioAction action;
};

struct ParsedScenario {
    std::vector<ScenarioStep> steps;
    std::vector<std::string> errors;  // "line 3: ..." for each line that could not be read
};

// Reads a whole scenario file.
ParsedScenario parseScenario(std::string_view text);

// Reads one line: nullopt for a blank or comment line, the step, or an error text.
std::variant<std::monostate, ScenarioAction, std::string> parseScenarioLine(std::string_view line);

// The commands that a "text" line sends: each character as RXM_CHAR, the {...} macros as
// their commands. An error text for an unknown macro or a character outside ASCII.
std::variant<std::vector<ScenarioCommand>, std::string> textCommands(std::string_view text);

}  // namespace kestrel
