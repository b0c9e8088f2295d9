#pragma once
// Runs a parsed scenario against Kestrel through a ScenarioHost: the logger side's
// windows, Kestrel's process and the shared block. loggersim's Win32 shell is the real
// host; tests use a scripted one.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "loggersim/scenario.h"

namespace kestrel {

// How often a waiting expectation looks again.
inline constexpr std::int64_t kScenarioPollMs = 20;

struct Notification {
    std::int64_t timeMs = 0;  // since loggersim started
    std::uint32_t code = 0;
    std::int64_t value = 0;
};

struct MessageBoxSeen {
    std::string caption;
    std::string text;
};

class ScenarioHost {
  public:
    virtual ~ScenarioHost() = default;
    // Milliseconds since start.
    virtual std::int64_t nowMs() = 0;
    // Handles incoming traffic until untilMs at the latest (it may return earlier).
    virtual void pump(std::int64_t untilMs) = 0;
    // Every notification received so far, in arrival order.
    virtual const std::vector<Notification>& notifications() const = 0;
    // The logger window's handle, the value of "send CODE logger".
    virtual std::int64_t loggerHandle() const = 0;
    // Posts a command to Kestrel's window; false when the post failed.
    virtual bool send(std::int64_t engineWindow, std::uint32_t code, std::int64_t value) = 0;
    // A message box of Kestrel's with that caption (any when none), answered with OK.
    virtual std::optional<MessageBoxSeen> answerMessageBox(
        const std::optional<std::string>& caption) = 0;
    // Kestrel's exit code once its process has ended.
    virtual std::optional<std::int64_t> engineExitCode() = 0;
    // count bytes of the shared block from offset; nullopt when they lie outside it.
    virtual std::optional<std::vector<std::uint8_t>> sharedBytes(std::size_t offset,
                                                                 std::size_t count) = 0;
    // Fills an open-file dialog of Kestrel's with path and presses OK; false when none
    // is open.
    virtual bool fillOpenFileDialog(const std::string& path) = 0;
    // The title of a window; nullopt when it is not a window.
    virtual std::optional<std::string> windowTitle(std::int64_t window) = 0;
    // One line for the log.
    virtual void report(const std::string& line) = 0;
};

struct ScenarioOutcome {
    int steps = 0;
    int failures = 0;  // failed steps, plus message boxes left open at the end
};

// Runs every step, reporting each and every failure ("FAIL line N: ..."), then answers
// any message box Kestrel still shows (each one a failure) and reports the summary.
ScenarioOutcome runScenario(std::span<const ScenarioStep> steps, ScenarioHost& host);

}  // namespace kestrel
