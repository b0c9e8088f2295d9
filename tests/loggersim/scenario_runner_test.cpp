#include "loggersim/scenario_runner.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/logger_codes.h"

namespace kestrel {
namespace {

struct SentCommand {
    std::int64_t timeMs;
    std::int64_t window;
    std::uint32_t code;
    std::int64_t value;
    bool operator==(const SentCommand&) const = default;
};

// A logger side on a simulated clock: notifications, message boxes, titles, dialogs and
// the exit are scheduled ahead and become visible as pump() moves the clock on.
class ScriptedHost : public ScenarioHost {
  public:
    struct Box {
        std::int64_t appearsMs;
        MessageBoxSeen box;
        bool answered = false;
    };

    std::int64_t now = 0;
    std::vector<Notification> scheduled;  // in time order
    std::vector<Notification> received;
    std::vector<Box> boxes;
    std::map<std::int64_t, std::vector<std::pair<std::int64_t, std::string>>> titles;
    std::optional<std::int64_t> dialogAppearsMs;
    std::vector<std::string> filledPaths;
    std::optional<std::pair<std::int64_t, std::int64_t>> exitAt;  // time, exit code
    std::vector<std::uint8_t> block;
    std::vector<SentCommand> sent;
    std::vector<std::string> lines;

    void notifyAt(std::int64_t ms, std::uint32_t code, std::int64_t value) {
        scheduled.push_back({ms, code, value});
    }

    std::int64_t nowMs() override { return now; }
    void pump(std::int64_t untilMs) override {
        EXPECT_GT(untilMs, now) << "pump must let time pass";
        now = std::max(now, untilMs);
        while (!scheduled.empty() && scheduled.front().timeMs <= now) {
            received.push_back(scheduled.front());
            scheduled.erase(scheduled.begin());
        }
    }
    const std::vector<Notification>& notifications() const override { return received; }
    std::int64_t loggerHandle() const override { return 0x5150; }
    bool send(std::int64_t window, std::uint32_t code, std::int64_t value) override {
        sent.push_back({now, window, code, value});
        return true;
    }
    std::optional<MessageBoxSeen> answerMessageBox(
        const std::optional<std::string>& caption) override {
        for (Box& b : boxes) {
            if (b.answered || b.appearsMs > now || (caption && b.box.caption != *caption)) continue;
            b.answered = true;
            return b.box;
        }
        return std::nullopt;
    }
    std::optional<std::int64_t> engineExitCode() override {
        if (!exitAt || exitAt->first > now) return std::nullopt;
        return exitAt->second;
    }
    std::optional<std::vector<std::uint8_t>> sharedBytes(std::size_t offset,
                                                         std::size_t count) override {
        if (offset + count > block.size()) return std::nullopt;
        return std::vector<std::uint8_t>(block.begin() + offset, block.begin() + offset + count);
    }
    bool fillOpenFileDialog(const std::string& path) override {
        if (!dialogAppearsMs || *dialogAppearsMs > now) return false;
        filledPaths.push_back(path);
        dialogAppearsMs.reset();
        return true;
    }
    std::optional<std::string> windowTitle(std::int64_t window) override {
        const auto it = titles.find(window);
        if (it == titles.end()) return std::nullopt;
        std::string title;
        for (const auto& [since, text] : it->second) {
            if (since <= now) title = text;
        }
        return title;
    }
    void report(const std::string& line) override { lines.push_back(line); }

    std::vector<std::string> failures() const {
        std::vector<std::string> out;
        for (const std::string& l : lines) {
            if (l.starts_with("FAIL")) out.push_back(l);
        }
        return out;
    }
};

ScenarioOutcome run(ScriptedHost& host, std::string_view scenario) {
    const ParsedScenario parsed = parseScenario(scenario);
    EXPECT_TRUE(parsed.errors.empty()) << parsed.errors.front();
    return runScenario(parsed.steps, host);
}

TEST(MmttyScenarioRunner, ExpectationsMatchInOrderAfterTheLastMatch) {
    ScriptedHost host;
    host.notifyAt(10, TXM_MARK, 2000);
    host.notifyAt(20, TXM_MARK, 2125);
    host.notifyAt(30, TXM_SPACE, 2295);
    const ScenarioOutcome outcome = run(host,
                                        "expect TXM_MARK 2125 within 100\n"
                                        "expect TXM_MARK 2000 within 100\n"
                                        "expect TXM_SPACE * within 100\n");
    EXPECT_EQ(outcome.steps, 3);
    EXPECT_EQ(outcome.failures, 1);
    EXPECT_EQ(host.failures(),
              (std::vector<std::string>{
                  "FAIL line 2: expect TXM_MARK 2000 within 100: not received within 100 ms; no "
                  "TXM_MARK after the last match",
                  "FAIL: 1 failures in 3 steps"}));
}

TEST(MmttyScenarioRunner, AFailedExpectationWaitsItsTimeAndLeavesTheMatchPointAlone) {
    ScriptedHost host;
    host.notifyAt(50, TXM_MARK, 2000);
    host.notifyAt(300, TXM_MARK, 2125);
    host.notifyAt(320, TXM_MARK, 2000);
    const ScenarioOutcome outcome = run(host,
                                        "expect TXM_MARK 2125 within 200\n"
                                        "expect TXM_MARK 2000 within 500\n");
    EXPECT_EQ(outcome.failures, 1);
    // The second expectation matched the first 2000 at once: the failed first step did
    // not move the match point.
    EXPECT_EQ(host.now, 200);
    ScriptedHost late;
    late.notifyAt(220, TXM_MARK, 2125);
    run(late, "expect TXM_MARK 2125 within 200\nexpect TXM_MARK 2000 within 50\n");
    ASSERT_EQ(late.failures().size(), 3u);
    EXPECT_EQ(late.failures()[1],
              "FAIL line 2: expect TXM_MARK 2000 within 50: not received within 50 ms; after the "
              "last match: TXM_MARK 2125 at 220 ms");
    EXPECT_EQ(late.now, 250);
}

TEST(MmttyScenarioRunner, CommandsGoToTheLatestKestrelWindowOnlyOnceItIsKnown) {
    ScriptedHost host;
    host.notifyAt(100, TXM_HANDLE, 0x1000);
    host.notifyAt(150, TXM_HANDLE, 0x2000);
    const ScenarioOutcome outcome = run(host,
                                        "send RXM_REQHANDLE\n"
                                        "expect TXM_HANDLE 0x2000\n"
                                        "send RXM_HANDLE logger\n"
                                        "text K{TX}\n");
    EXPECT_EQ(outcome.failures, 1);
    EXPECT_EQ(host.failures()[0],
              "FAIL line 1: send RXM_REQHANDLE: no Kestrel window known yet (no TXM_HANDLE "
              "received)");
    EXPECT_EQ(host.sent, (std::vector<SentCommand>{{160, 0x2000, RXM_HANDLE, 0x5150},
                                                   {160, 0x2000, RXM_CHAR, 'K'},
                                                   {160, 0x2000, RXM_PTT, 2}}));
}

TEST(MmttyScenarioRunner, ExpectNoneFailsOnAMatchAfterTheLastMatchOnly) {
    ScriptedHost once;
    once.notifyAt(10, TXM_FIGEVENT, 0);
    EXPECT_EQ(run(once, "expect TXM_FIGEVENT 0\nexpect-none TXM_FIGEVENT for 200\n").failures, 0);
    EXPECT_EQ(once.now, 20 + 200);

    ScriptedHost twice;
    twice.notifyAt(10, TXM_FIGEVENT, 0);
    twice.notifyAt(90, TXM_FIGEVENT, 0);
    EXPECT_EQ(run(twice, "expect TXM_FIGEVENT 0\nexpect-none TXM_FIGEVENT for 200\n").failures, 1);
    EXPECT_EQ(twice.failures()[0],
              "FAIL line 2: expect-none TXM_FIGEVENT for 200: received TXM_FIGEVENT 0 at 90 ms");
}

TEST(MmttyScenarioRunner, ExpectTextReadsCharactersBetweenOtherNotifications) {
    ScriptedHost host;
    host.notifyAt(10, TXM_CHAR, 'C');
    host.notifyAt(11, TXM_LEVEL, 2147450879);
    host.notifyAt(12, TXM_CHAR, 'Q');
    host.notifyAt(13, TXM_CHAR, '\r');
    host.notifyAt(14, TXM_MARK, 2125);
    const ScenarioOutcome outcome = run(host,
                                        "expect-text \"CQ\\r\" within 100\n"
                                        "expect TXM_MARK 2125 within 10\n"
                                        "expect-text CQ within 10\n");
    EXPECT_EQ(outcome.failures, 1);
    EXPECT_EQ(host.failures()[0],
              "FAIL line 3: expect-text CQ within 10: not received within 10 ms; characters "
              "after the last match: \"\"");
    ScriptedHost partial;
    partial.notifyAt(10, TXM_CHAR, 'C');
    partial.notifyAt(12, TXM_CHAR, '\n');
    run(partial, "expect-text CQ within 20\n");
    EXPECT_EQ(partial.failures()[0],
              "FAIL line 1: expect-text CQ within 20: not received within 20 ms; characters "
              "after the last match: \"C\\n\"");
}

TEST(MmttyScenarioRunner, MessageBoxesAreFoundByCaptionCheckedAndAnswered) {
    ScriptedHost host;
    host.boxes = {{100, {"Kestrel Error", "Kestrel Mark tone must be between 250 and 3000Hz"}},
                  {200, {"Kestrel Error", "different hWnd"}},
                  {300, {"Kestrel Info", "Windows 8 or newer required"}}};
    const ScenarioOutcome outcome =
        run(host,
            "expect-msgbox \"Kestrel Error\" \"Kestrel Mark tone must be between 250 and 3000Hz\"\n"
            "expect-msgbox \"Kestrel Error\" \"RXM_PTT Default received\" within 500\n"
            "expect-no-msgbox \"Kestrel Error\" for 500\n"
            "expect-msgbox \"Kestrel Report\" within 100\n");
    EXPECT_EQ(outcome.failures, 3);
    EXPECT_TRUE(host.boxes[0].answered && host.boxes[1].answered && host.boxes[2].answered);
    EXPECT_EQ(host.failures(),
              (std::vector<std::string>{
                  "FAIL line 2: expect-msgbox \"Kestrel Error\" \"RXM_PTT Default received\" "
                  "within 500: the message box says \"different hWnd\"",
                  "FAIL line 4: expect-msgbox \"Kestrel Report\" within 100: no message box "
                  "\"Kestrel Report\" within 100 ms",
                  "FAIL: message box left open: \"Kestrel Info\" \"Windows 8 or newer required\" "
                  "(answered with OK)",
                  "FAIL: 3 failures in 4 steps"}));
    ScriptedHost quiet;
    quiet.boxes = {{100, {"Kestrel Error", "Kestrel does not work standalone\nUse..."}}};
    run(quiet, "expect-no-msgbox for 500\n");
    EXPECT_EQ(quiet.failures()[0],
              "FAIL line 1: expect-no-msgbox for 500: message box \"Kestrel Error\" \"Kestrel "
              "does not work standalone\\nUse...\" appeared (answered with OK)");
    EXPECT_EQ(quiet.now, 100);
}

TEST(MmttyScenarioRunner, ExitIsAwaitedAndItsCodeChecked) {
    ScriptedHost host;
    host.exitAt = {{150, 3}};
    const ScenarioOutcome outcome = run(host,
                                        "expect-exit within 100\n"
                                        "expect-exit 0 within 500\n"
                                        "expect-exit 3\n");
    EXPECT_EQ(outcome.failures, 2);
    EXPECT_EQ(host.failures()[0],
              "FAIL line 1: expect-exit within 100: Kestrel still runs after 100 ms");
    EXPECT_EQ(host.failures()[1],
              "FAIL line 2: expect-exit 0 within 500: Kestrel ended with exit code 3");
    EXPECT_EQ(host.now, 160);
}

TEST(MmttyScenarioRunner, SharedBytesAreComparedWhereTheyLie) {
    ScriptedHost host;
    host.block.assign(256, 0);
    host.block[0] = 10;
    host.block[152] = 1;
    const ScenarioOutcome outcome = run(host,
                                        "shared-bytes 0 0a000000\n"
                                        "shared-bytes 152 00000000\n"
                                        "shared-bytes 254 000000\n");
    EXPECT_EQ(outcome.failures, 2);
    EXPECT_EQ(host.failures()[0],
              "FAIL line 2: shared-bytes 152 00000000: the shared block holds 01 00 00 00");
    EXPECT_EQ(host.failures()[1],
              "FAIL line 3: shared-bytes 254 000000: the shared block does not reach that far "
              "(or does not exist)");
}

TEST(MmttyScenarioRunner, TitleOpenFileAndWaitFollowTheClock) {
    ScriptedHost host;
    host.notifyAt(5, TXM_HANDLE, 0x700);
    host.titles[0x700] = {{0, "XX9XX Kestrel"}, {600, "DI1 XX9XX Kestrel "}};
    host.dialogAppearsMs = 900;
    const ScenarioOutcome outcome = run(host,
                                        "expect TXM_HANDLE\n"
                                        "expect-title \"DI1 XX9XX Kestrel \" within 100\n"
                                        "expect-title \"DI1 XX9XX Kestrel \" within 1000\n"
                                        "open-file Z:\\tmp\\a.wav within 1000\n"
                                        "wait 250\n"
                                        "open-file b.wav within 40\n");
    EXPECT_EQ(outcome.failures, 2);
    EXPECT_EQ(host.failures()[0],
              "FAIL line 2: expect-title \"DI1 XX9XX Kestrel \" within 100: the title is "
              "\"XX9XX Kestrel\"");
    EXPECT_EQ(host.failures()[1],
              "FAIL line 6: open-file b.wav within 40: no open-file dialog within 40 ms");
    EXPECT_EQ(host.filledPaths, std::vector<std::string>{"Z:\\tmp\\a.wav"});
    EXPECT_EQ(host.now, 900 + 250 + 40);
}

TEST(MmttyScenarioRunner, EveryStepIsLoggedAndAPassIsSummed) {
    ScriptedHost host;
    host.notifyAt(0, TXM_START, 0);
    const ScenarioOutcome outcome = run(host, "# start\nexpect TXM_START 0\nwait 30\n");
    EXPECT_EQ(outcome.steps, 2);
    EXPECT_EQ(outcome.failures, 0);
    EXPECT_EQ(host.lines,
              (std::vector<std::string>{"     0 # line 2: expect TXM_START 0",
                                        "    20 # line 3: wait 30", "PASS: 2 steps held"}));
}

}  // namespace
}  // namespace kestrel
