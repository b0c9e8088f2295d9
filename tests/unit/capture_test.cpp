#include "audio_in/capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "fakes/fake_capture_device.h"
#include "fakes/fake_logger_port.h"
#include "fakes/fake_text_sink_port.h"
#include "fakes/fake_ui_port.h"
#include "fakes/sleeping_clock.h"

namespace kestrel {
namespace {

// Polls every 5 ms until the condition holds; false after two seconds.
template <typename Condition>
bool within2s(Condition condition) {
    for (int i = 0; i < 400; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

class CaptureTest : public ::testing::Test {
  protected:
    void deliver(int buffers) {
        const std::vector<std::int16_t> silence(kCaptureBufferSamples);
        for (int b = 0; b < buffers; ++b) ASSERT_TRUE(device_.deliver(silence));
    }

    ModemState state_;
    RecordingLogger logger_;
    RecordingUi ui_;
    FakeTextSinkPort text_;
    SleepingClock clock_;
    FakeCaptureDevice device_;
    ReceiveChain chain_{state_, logger_, ui_, text_};
    Capture capture_{state_, chain_, device_, ui_, clock_};
};

TEST_F(CaptureTest, WhileAFilePlaysOrThePauseRunsBuffersKeepCirculatingAndTheWatchdogStaysQuiet) {
    state_.rxDeviceId = 4;
    state_.RXChannel = 0;
    ASSERT_EQ(openCapture(capture_), 0);
    EXPECT_EQ(device_.journal().front(), "open 4 1");
    EXPECT_EQ(device_.journal().back(), "start");
    EXPECT_EQ(state_.captureState, kCapturing);
    for (const auto& [wav, pause] : {std::pair{1, 0}, std::pair{0, 2}}) {
        state_.wavPlaying = wav;
        state_.pauseState = pause;
        // Twice round the ring, spread over more than the watchdog's patience.
        for (int b = 0; b < 128; ++b) {
            deliver(1);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_TRUE(device_.holds(kCaptureBuffers));
        EXPECT_EQ(state_.captureState, kCapturing);
    }
    EXPECT_TRUE(ui_.messageBoxes().empty());
}

TEST_F(CaptureTest, AVanishedInputIsReopenedWithTheSoundOutputOneBoxPerFailedAttempt) {
    state_.rxDeviceId = 2;
    state_.RXChannel = 2;
    ASSERT_EQ(openCapture(capture_), 0);
    deliver(10);
    // Nothing more arrives: after 36 empty polls the input counts as dead.
    ASSERT_TRUE(within2s([&] { return state_.captureState == kReopenRequest; }));
    EXPECT_EQ(state_.txSoundState, 3);
    EXPECT_EQ(capture_.captureEnabled, 0);

    device_.clearJournal();
    // The device has gone: every step of the close fails, and so does each reopen.
    device_.setFailing({"stop", "reset", "unprepare", "close", "open"});
    std::thread supervisor([&] { captureSupervisor(capture_); });
    ASSERT_TRUE(within2s([&] { return ui_.messageBoxes().size() >= 3; }));
    EXPECT_EQ(ui_.messageBoxes()[0], (UiMessageBox{"error 32", "Kestrel Error", kMbTopMost}));
    device_.setFailing({});
    ASSERT_TRUE(within2s([&] { return state_.captureState == kCapturing; }));
    capture_.stopRequested = true;
    supervisor.join();
    // One box for the whole close, then one for each open that failed.
    const auto opens = std::ranges::count(device_.journal(), std::string("open 2 2"));
    EXPECT_EQ(ui_.messageBoxes().size(), static_cast<std::size_t>(opens));

    // The close in its order, then only open attempts until one succeeds.
    std::vector<std::string> journal = device_.journal();
    std::vector<std::string> expected = {"stop", "reset"};
    for (int i = 0; i < kCaptureBuffers; ++i) expected.push_back("unprepare " + std::to_string(i));
    expected.push_back("close");
    ASSERT_GT(journal.size(), expected.size());
    EXPECT_EQ(std::vector(journal.begin(), journal.begin() + expected.size()), expected);
    journal.erase(journal.begin(), journal.begin() + expected.size());
    while (journal.front() == "open 2 2") journal.erase(journal.begin());
    EXPECT_EQ(journal.front(), "prepare 0");
    EXPECT_EQ(journal.back(), "start");
    // The reopened device feeds a new receive thread, which hands its buffers back.
    deliver(kCaptureBuffers * 2);
    EXPECT_TRUE(device_.holds(kCaptureBuffers));
}

}  // namespace
}  // namespace kestrel
