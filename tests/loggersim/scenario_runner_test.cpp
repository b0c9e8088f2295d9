// The scenario runner is what passes or fails the Windows tests: a check that matched too
// easily would let a faulty Kestrel pass. Each case is a scenario against notifications
// timed on a simulated clock, and the number of failures it must find.
#include "loggersim/scenario_runner.h"

#include <gtest/gtest.h>

#include "platform/logger_codes.h"

namespace kestrel {
namespace {

struct ScriptedHost : ScenarioHost {
    std::int64_t now = 0;
    std::vector<Notification> scheduled, received;                // scheduled in time order
    std::optional<std::pair<std::int64_t, std::int64_t>> exitAt;  // time, exit code
    std::vector<std::uint8_t> block = std::vector<std::uint8_t>(256);

    std::int64_t nowMs() override { return now; }
    void pump(std::int64_t untilMs) override {
        now = std::max(now, untilMs);
        while (!scheduled.empty() && scheduled.front().timeMs <= now) {
            received.push_back(scheduled.front());
            scheduled.erase(scheduled.begin());
        }
    }
    const std::vector<Notification>& notifications() const override { return received; }
    std::int64_t loggerHandle() const override { return 0x5150; }
    bool send(std::int64_t, std::uint32_t, std::int64_t) override { return true; }
    std::optional<MessageBoxSeen> answerMessageBox(const std::optional<std::string>&) override {
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
    bool fillOpenFileDialog(const std::string&) override { return false; }
    std::optional<std::string> windowTitle(std::int64_t) override { return std::nullopt; }
    void report(const std::string&) override {}
};

TEST(MmttyScenarioRunner, EachCheckFailsWhenWhatItExpectsDoesNotHappen) {
    const std::vector<Notification> traffic = {{10, TXM_MARK, 2000}, {20, TXM_MARK, 2125},
                                               {30, TXM_CHAR, 'C'},  {31, TXM_LEVEL, 7},
                                               {32, TXM_CHAR, 'Q'},  {90, TXM_FIGEVENT, 0}};
    const struct {
        const char* scenario;
        int failures;
    } cases[] = {
        {"expect TXM_MARK 2125 within 100\nexpect TXM_MARK 2000 within 100", 1},  // in order
        {"expect TXM_MARK 2000 within 100\nexpect TXM_MARK * within 100", 0},
        {"expect TXM_MARK 2125 within 15", 1},  // too late
        {"expect TXM_SPACE within 500", 1},
        {"expect-text CQ within 100", 0},  // characters between other notifications
        {"expect-text CQ within 100\nexpect-text Q within 50", 1},
        {"expect-text CX within 100", 1},
        {"expect TXM_CHAR 67 within 40\nexpect-none TXM_FIGEVENT for 200", 1},
        {"expect TXM_FIGEVENT 0 within 100\nexpect-none TXM_FIGEVENT for 200", 0},
        {"expect-exit within 100", 1},
        {"expect-exit 0 within 500", 1},
        {"expect-exit 3 within 500", 0},
        {"shared-bytes 0 0a000000\nshared-bytes 152 00000000", 1},
        {"shared-bytes 254 000000", 1},  // past the end of the block
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        ScriptedHost host;
        host.scheduled = traffic;
        host.exitAt = {{150, 3}};
        host.block[0] = 10;
        host.block[152] = 1;
        const ParsedScenario parsed = parseScenario(c.scenario);
        ASSERT_TRUE(parsed.errors.empty()) << parsed.errors.front();
        EXPECT_EQ(runScenario(parsed.steps, host).failures, c.failures);
    }
}

TEST(MmttyScenarioRunner, EveryBadLineIsReportedAndNoneIsSkippedSilently) {
    const ParsedScenario parsed = parseScenario(
        "# comment\n\nsned RXM_EXIT\nsend RXM_EXIT\nexpect TXM_MARKS 2125\nwait -5\n"
        "expect-none TXM_FIGEVENT\nexpect TXM_MARK high\n");
    EXPECT_EQ(parsed.errors.size(), 5u);
    ASSERT_EQ(parsed.steps.size(), 1u);
    EXPECT_EQ(parsed.steps[0].line, 4);
}

}  // namespace
}  // namespace kestrel
