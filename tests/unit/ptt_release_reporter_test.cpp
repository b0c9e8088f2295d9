#include "link/ptt_release_reporter.h"

#include <gtest/gtest.h>

#include <vector>

#include "fakes/fake_clock_port.h"
#include "fakes/fake_logger_port.h"
#include "platform/logger_codes.h"

namespace kestrel {
namespace {

// Notes how many notifications the logger had when push-to-talk was released.
class OrderedPtt : public PttSwitch {
  public:
    explicit OrderedPtt(const RecordingLogger& logger) : logger_(logger) {}
    std::vector<bool> changes;
    std::size_t postsAtRelease = 0;
    void setPtt(bool on) override {
        changes.push_back(on);
        postsAtRelease = logger_.posts().size();
    }

  private:
    const RecordingLogger& logger_;
};

TEST(PttReleaseReporter, WaitsOneCharacterAndMarginThenReportsBeforeReleasing) {
    const struct {
        int baudIndex;
        std::uint32_t waitMs;
    } cases[] = {{0, 200}, {1, 185}, {2, 135}, {7, 200}, {-1, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.baudIndex);
        ModemState state;
        state.baudIndex = c.baudIndex;
        RecordingLogger logger;
        OrderedPtt ptt(logger);
        FakeClock clock;
        pttReleaseReporter(state, logger, ptt, clock);
        EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{c.waitMs}));
        EXPECT_EQ(logger.posts(), (std::vector<LoggerPost>{{TXM_PTTEVENT, 0}}));
        EXPECT_EQ(ptt.changes, (std::vector<bool>{false}));
        EXPECT_EQ(ptt.postsAtRelease, 1u);
    }
}

}  // namespace
}  // namespace kestrel
