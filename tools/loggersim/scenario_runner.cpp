#include "loggersim/scenario_runner.h"

#include <algorithm>

#include "loggersim/traffic.h"
#include "platform/logger_codes.h"

namespace kestrel {
namespace {

// At most this many message boxes are answered after the last step, so a program that
// keeps opening them cannot hold the run.
constexpr int kLeftoverBoxLimit = 10;
// How many of the notifications that did not match a failure report shows.
constexpr std::size_t kShownOthers = 3;
// How many received characters a failed expect-text shows.
constexpr std::size_t kShownCharacters = 60;

std::string hexByte(std::uint8_t b) {
    constexpr std::string_view kDigits = "0123456789abcdef";
    return {kDigits[b >> 4], kDigits[b & 15]};
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (static_cast<unsigned char>(c) >= 32)
            out += c;
        else
            out += "\\x" + hexByte(static_cast<std::uint8_t>(c));
    }
    return out + "\"";
}

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    std::string out;
    for (std::uint8_t b : bytes) out += (out.empty() ? "" : " ") + hexByte(b);
    return out;
}

std::string withinText(std::int64_t ms) {
    return " within " + std::to_string(ms) + " ms";
}

using Failure = std::optional<std::string>;

class Runner {
  public:
    explicit Runner(ScenarioHost& host) : host_(host) {}

    Failure operator()(const SendStep& s) {
        const std::optional<std::int64_t> window = engineWindow();
        if (!window) return "no Kestrel window known yet (no TXM_HANDLE received)";
        for (const ScenarioCommand& c : s.commands) {
            const std::int64_t value = c.useLoggerHandle ? host_.loggerHandle() : c.value;
            if (!host_.send(*window, c.code, value))
                return "posting " + mmttyCodeName(c.code) + " failed";
        }
        return std::nullopt;
    }

    Failure operator()(const WaitStep& s) {
        const std::int64_t deadline = host_.nowMs() + s.ms;
        while (host_.nowMs() < deadline) host_.pump(deadline);
        return std::nullopt;
    }

    Failure operator()(const ExpectStep& s) {
        std::optional<std::size_t> found;
        if (pollUntil(s.withinMs,
                      [&] { return (found = findAfterCursor(s.code, s.value)).has_value(); })) {
            cursor_ = *found + 1;
            return std::nullopt;
        }
        return "not received" + withinText(s.withinMs) + "; " + othersAfterCursor(s.code);
    }

    Failure operator()(const ExpectNoneStep& s) {
        std::optional<std::size_t> found;
        if (!pollUntil(s.forMs,
                       [&] { return (found = findAfterCursor(s.code, s.value)).has_value(); }))
            return std::nullopt;
        const Notification& n = host_.notifications()[*found];
        return "received " + describe(n);
    }

    Failure operator()(const ExpectTextStep& s) {
        std::optional<std::size_t> found;
        if (pollUntil(s.withinMs, [&] { return (found = findText(s.text)).has_value(); })) {
            cursor_ = *found + 1;
            return std::nullopt;
        }
        return "not received" + withinText(s.withinMs) +
               "; characters after the last match: " + quoted(charactersAfterCursor());
    }

    Failure operator()(const ExpectMessageBoxStep& s) {
        std::optional<MessageBoxSeen> box;
        if (!pollUntil(s.withinMs,
                       [&] { return (box = host_.answerMessageBox(s.caption)).has_value(); }))
            return "no message box " + quoted(s.caption) + withinText(s.withinMs);
        if (s.text && box->text != *s.text) return "the message box says " + quoted(box->text);
        return std::nullopt;
    }

    Failure operator()(const ExpectNoMessageBoxStep& s) {
        std::optional<MessageBoxSeen> box;
        if (!pollUntil(s.forMs,
                       [&] { return (box = host_.answerMessageBox(s.caption)).has_value(); }))
            return std::nullopt;
        return "message box " + quoted(box->caption) + " " + quoted(box->text) +
               " appeared (answered with OK)";
    }

    Failure operator()(const ExpectTitleStep& s) {
        const std::optional<std::int64_t> window = engineWindow();
        if (!window) return "no Kestrel window known (no TXM_HANDLE received)";
        std::optional<std::string> title;
        if (pollUntil(s.withinMs, [&] { return (title = host_.windowTitle(*window)) == s.title; }))
            return std::nullopt;
        if (!title) return "Kestrel's window " + std::to_string(*window) + " is gone";
        return "the title is " + quoted(*title);
    }

    Failure operator()(const ExpectExitStep& s) {
        std::optional<std::int64_t> code;
        if (!pollUntil(s.withinMs, [&] { return (code = host_.engineExitCode()).has_value(); }))
            return "Kestrel still runs after " + std::to_string(s.withinMs) + " ms";
        if (s.exitCode && *code != *s.exitCode)
            return "Kestrel ended with exit code " + std::to_string(*code);
        return std::nullopt;
    }

    Failure operator()(const SharedBytesStep& s) {
        const auto bytes = host_.sharedBytes(s.offset, s.bytes.size());
        if (!bytes) return "the shared block does not reach that far (or does not exist)";
        if (*bytes != s.bytes) return "the shared block holds " + hexBytes(*bytes);
        return std::nullopt;
    }

    Failure operator()(const OpenFileStep& s) {
        if (pollUntil(s.withinMs, [&] { return host_.fillOpenFileDialog(s.path); }))
            return std::nullopt;
        return "no open-file dialog" + withinText(s.withinMs);
    }

  private:
    // Runs check until it holds or the time is up; it runs at least once, and once more
    // at the deadline.
    template <class Check>
    bool pollUntil(std::int64_t withinMs, Check check) {
        const std::int64_t deadline = host_.nowMs() + withinMs;
        for (;;) {
            if (check()) return true;
            const std::int64_t now = host_.nowMs();
            if (now >= deadline) return false;
            host_.pump(std::min(deadline, now + kScenarioPollMs));
        }
    }

    // Kestrel's main window: the value of the latest TXM_HANDLE.
    std::optional<std::int64_t> engineWindow() const {
        const auto& all = host_.notifications();
        const auto it = std::find_if(all.rbegin(), all.rend(),
                                     [](const Notification& n) { return n.code == TXM_HANDLE; });
        if (it == all.rend()) return std::nullopt;
        return it->value;
    }

    std::optional<std::size_t> findAfterCursor(std::uint32_t code,
                                               std::optional<std::int64_t> value) const {
        const auto& all = host_.notifications();
        for (std::size_t i = cursor_; i < all.size(); ++i) {
            if (all[i].code == code && (!value || all[i].value == *value)) return i;
        }
        return std::nullopt;
    }

    // The index of the notification that completes text among the characters after the
    // cursor.
    std::optional<std::size_t> findText(const std::string& text) const {
        const auto& all = host_.notifications();
        std::string received;
        for (std::size_t i = cursor_; i < all.size(); ++i) {
            if (all[i].code != TXM_CHAR) continue;
            received += static_cast<char>(all[i].value);
            if (received.ends_with(text)) return i;
        }
        return std::nullopt;
    }

    std::string charactersAfterCursor() const {
        const auto& all = host_.notifications();
        std::string received;
        for (std::size_t i = cursor_; i < all.size(); ++i) {
            if (all[i].code == TXM_CHAR) received += static_cast<char>(all[i].value);
        }
        if (received.size() > kShownCharacters)
            received = "..." + received.substr(received.size() - kShownCharacters);
        return received;
    }

    static std::string describe(const Notification& n) {
        return mmttyCodeName(n.code) + " " + std::to_string(n.value) + " at " +
               std::to_string(n.timeMs) + " ms";
    }

    std::string othersAfterCursor(std::uint32_t code) const {
        const auto& all = host_.notifications();
        std::string shown;
        std::size_t count = 0;
        for (std::size_t i = cursor_; i < all.size(); ++i) {
            if (all[i].code != code) continue;
            if (++count <= kShownOthers) shown += (shown.empty() ? "" : ", ") + describe(all[i]);
        }
        if (count == 0) return "no " + mmttyCodeName(code) + " after the last match";
        if (count > kShownOthers) shown += " and " + std::to_string(count - kShownOthers) + " more";
        return "after the last match: " + shown;
    }

    ScenarioHost& host_;
    std::size_t cursor_ = 0;  // notifications before this index are matched or passed over
};

}  // namespace

ScenarioOutcome runScenario(std::span<const ScenarioStep> steps, ScenarioHost& host) {
    Runner runner(host);
    ScenarioOutcome outcome;
    for (const ScenarioStep& step : steps) {
        host.report(
            stampedLine(host.nowMs(), "# line " + std::to_string(step.line) + ": " + step.source));
        ++outcome.steps;
        const Failure failure = std::visit(runner, step.action);
        if (!failure) continue;
        ++outcome.failures;
        host.report("FAIL line " + std::to_string(step.line) + ": " + step.source + ": " +
                    *failure);
    }
    for (int i = 0; i < kLeftoverBoxLimit; ++i) {
        const std::optional<MessageBoxSeen> box = host.answerMessageBox(std::nullopt);
        if (!box) break;
        ++outcome.failures;
        host.report("FAIL: message box left open: " + quoted(box->caption) + " " +
                    quoted(box->text) + " (answered with OK)");
    }
    host.report(outcome.failures == 0
                    ? "PASS: " + std::to_string(outcome.steps) + " steps held"
                    : "FAIL: " + std::to_string(outcome.failures) + " failures in " +
                          std::to_string(outcome.steps) + " steps");
    return outcome;
}

}  // namespace kestrel
