#include "link/link_threads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fakes/fake_clock_port.h"
#include "fakes/fake_logger_port.h"
#include "fakes/fake_main_window_port.h"
#include "fakes/fake_settings_access.h"
#include "fakes/fake_shared_block_port.h"
#include "fakes/fake_tx_buffer_control.h"
#include "fakes/fake_ui_port.h"
#include "fakes/fake_window_title_port.h"
#include "platform/logger_codes.h"

namespace kestrel {
namespace {

// Real time, a millisecond per sleep whatever was asked, so the threads move on quickly
// without spinning.
class FastClock : public ClockPort {
  public:
    std::int64_t counter() override { return 0; }
    std::int64_t counterFrequency() override { return 1; }
    void sleepMs(std::uint32_t) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

template <typename Done>
bool waitFor(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(LinkThreads, HandshakeStartsTheHeartbeatAndTheIdentOnce) {
    constexpr std::int64_t kLogger = 0x100;
    ModemState state;
    RecordingLogger logger;
    RecordingUi ui;
    FakeMainWindow mainWindow;
    RecordingTxBuffer txBuffer;
    MemorySettings settings;
    FakeSharedBlock block;
    FastClock clock;
    FakeWindowTitles windows;
    windows.parents[kLogger] = 0x200;
    windows.titles[0x200] = u"DI2 RTTY";
    {
        LinkThreads threads(windows);
        LoggerLink link(state, {logger, ui, mainWindow, txBuffer, settings, block, clock, threads},
                        kLogger);
        ASSERT_TRUE(link.connectLogger());
        threads.startLinkThreads(link);  // already running: nothing more starts
        EXPECT_TRUE(waitFor([&] { return logger.count(TXM_LEVEL) >= 3 && !ui.titles().empty(); }));
        threads.stop();
    }
    EXPECT_EQ(block.int32At(152), 1);
    EXPECT_EQ(state.diNumber, 2);
    EXPECT_EQ(ui.titles(), (std::vector<std::string>{"DI2 XX9XX Kestrel "}));
    for (const LoggerPost& p : logger.posts()) {
        if (p.code == TXM_LEVEL) {
            EXPECT_EQ(p.value, 2147450879);
        }
    }
}

}  // namespace
}  // namespace kestrel
