#include "transmit/ptt_release_reporter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fakes/fake_clock_port.h"
#include "fakes/fake_logger_port.h"
#include "fakes/fake_ptt_switch.h"
#include "transmit/transmit_notifications.h"

namespace kestrel {
namespace {

struct ReporterRig {
    ModemState state;
    FakeLoggerPort logger;
    FakePttSwitch ptt;
    FakeClockPort clock;
    PttReleaseReporter reporter{state, logger, ptt, clock};
};

TEST(PttReleaseReporter, WaitsOneCharacterTimePlus35MsThenReportsAndReleases) {
    const std::pair<int, std::uint32_t> cases[] = {{0, 200}, {1, 185}, {2, 135}, {7, 200}};
    for (auto [baudIndex, waitMs] : cases) {
        SCOPED_TRACE(baudIndex);
        ReporterRig rig;
        rig.state.baudIndex = baudIndex;
        rig.reporter.pttReleaseReporter();
        EXPECT_EQ(rig.clock.sleeps(), std::vector<std::uint32_t>{waitMs});
        EXPECT_EQ(rig.logger.posts(), (std::vector<LoggerPost>{{TXM_PTTEVENT, 0}}));
        EXPECT_EQ(rig.ptt.calls(), std::vector<bool>{false});
    }
}

// A clock during whose sleep the operator starts the next transmission.
class RestartingClock : public FakeClockPort {
  public:
    explicit RestartingClock(ModemState& state) : state_(state) {}
    void sleepMs(std::uint32_t ms) override {
        FakeClockPort::sleepMs(ms);
        state_.txState = 1;
    }

  private:
    ModemState& state_;
};

TEST(PttReleaseReporter, LeavesPttToATransmissionThatStartedMeanwhile) {
    ModemState state;
    FakeLoggerPort logger;
    FakePttSwitch ptt;
    RestartingClock clock(state);
    PttReleaseReporter(state, logger, ptt, clock).pttReleaseReporter();
    EXPECT_TRUE(logger.posts().empty());
    EXPECT_TRUE(ptt.calls().empty());
}

TEST(PttReleaseReporter, StartRunsOnItsOwnThread) {
    ReporterRig rig;
    rig.reporter.start();
    for (int i = 0; i < 2000 && rig.ptt.calls().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(rig.ptt.calls(), std::vector<bool>{false});
    EXPECT_EQ(rig.logger.values(TXM_PTTEVENT), std::vector<std::int64_t>{0});
}

}  // namespace
}  // namespace kestrel
