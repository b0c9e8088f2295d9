#include "frontend/pause_thread.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_clock_port.h"

namespace kestrel {
namespace {

struct PauseThreadTest : ::testing::Test {
    // The history after `stored` samples numbered 1, 2, 3 ...
    void fill(int stored) {
        for (int i = 1; i <= stored; ++i) history->store(i);
    }
    void run(int stopAfterSamples = -1) {
        pauseThread(
            state, *history,
            [&](double x) {
                replayed.push_back(x);
                if (static_cast<int>(replayed.size()) == stopAfterSamples) state.pauseState = 0;
            },
            [&](char16_t c) { text += static_cast<char>(c); }, clock);
    }

    ModemState state;
    std::unique_ptr<PauseHistory> history = std::make_unique<PauseHistory>();
    std::vector<double> replayed;
    std::string text;
    FakeClock clock;
};

// A right click while the display is held: the clock's fifth sleep sees it.
class ClickingClock : public FakeClock {
  public:
    explicit ClickingClock(ModemState& state) : state_(state) {}
    void sleepMs(std::uint32_t ms) override {
        FakeClock::sleepMs(ms);
        if (sleeps.size() == 5) state_.pauseState = 0;
    }

  private:
    ModemState& state_;
};

TEST_F(PauseThreadTest, ReplaysTheHistoryOldestFirstThenHoldsForTenSeconds) {
    fill(720005);  // the ring has wrapped: 6 .. 720005 are kept, 6 is the oldest
    state.pauseState = 1;
    run();
    ASSERT_EQ(replayed.size(), 719999u);
    EXPECT_EQ(replayed.front(), 7.0);  // from the second-oldest
    EXPECT_EQ(replayed.back(), 720005.0);
    EXPECT_EQ(text, "\n10 Second pause or right click on Spectrum Display\n");
    EXPECT_EQ(clock.sleeps, std::vector<std::uint32_t>(1000, 10));
    EXPECT_EQ(state.pauseState, 0);
}

TEST_F(PauseThreadTest, ARightClickDuringTheReplayEndsItThere) {
    fill(1000);
    state.pauseState = 1;
    run(250);
    EXPECT_EQ(replayed.size(), 250u);
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(clock.sleeps.empty());
    EXPECT_EQ(state.pauseState, 0);
}

TEST_F(PauseThreadTest, ARightClickWhileHoldingEndsTheHold) {
    state.pauseState = 1;
    ClickingClock clicking(state);
    pauseThread(
        state, *history, [](double) {}, [&](char16_t c) { text += static_cast<char>(c); },
        clicking);
    EXPECT_EQ(clicking.sleeps.size(), 5u);
    EXPECT_EQ(text.size(), kPauseHoldText.size());
    EXPECT_EQ(state.pauseState, 0);
}

TEST_F(PauseThreadTest, TheReplayRunsWithPauseState2) {
    state.pauseState = 1;
    int seen = -1;
    pauseThread(
        state, *history, [&](double) { seen = state.pauseState; }, [](char16_t) {}, clock);
    EXPECT_EQ(seen, 2);
}

}  // namespace
}  // namespace kestrel
