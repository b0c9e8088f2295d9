#include "transmit/playback_supervisor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_clock_port.h"
#include "fakes/fake_playback_device_port.h"
#include "support/tx_rig.h"

namespace kestrel {
namespace {

using Journal = std::vector<std::string>;

// Ends the supervisor at its first idle poll.
class SupervisorClock : public FakeClock {
  public:
    std::atomic<bool>* stop = nullptr;
    void sleepMs(std::uint32_t ms) override {
        FakeClock::sleepMs(ms);
        if (ms == kSupervisorPollMs && stop) *stop = true;
    }
};

struct PlaybackSupervisorTest : ::testing::Test, TxRig {
    PlaybackSupervisorTest() { clock.stop = &playback.stopRequested; }

    SoundGenerators generators{links};
    FakePlaybackDevice device;
    SupervisorClock clock;
    SoundOutput output{state, generators, device, clock};
    PlaybackDevice playback{state, output, device, ui, clock};
};

TEST_F(PlaybackSupervisorTest, OpeningPreparesBothBuffersOverTheOutputsAudioAtTheCurrentRate) {
    state.sampleRate = 13200;
    state.txState = 3;
    openPlayback(playback, 2);
    EXPECT_EQ(device.journal(), (Journal{"open 2 13200", "prepare 0", "prepare 1"}));
    EXPECT_EQ(device.prepared, (std::vector<const std::int16_t*>{output.bufferAudio(0).data(),
                                                                 output.bufferAudio(1).data()}));
    EXPECT_EQ(state.txSoundState, 1);
    EXPECT_EQ(state.txState, 0);
    EXPECT_TRUE(ui.messageBoxes().empty());
}

TEST_F(PlaybackSupervisorTest, ADeviceThatDoesNotOpenIsReportedAndLeftUnavailable) {
    device.failing = {"open"};
    state.txSoundState = 1;
    openPlayback(playback, 65535);
    EXPECT_EQ(device.journal(), (Journal{"open 65535 12000"}));
    EXPECT_EQ(state.txSoundState, 0);
    EXPECT_EQ(ui.messageBoxes(),
              (std::vector<UiMessageBox>{{"TX sound card unavailable or lead unplugged\nTransmit "
                                          "will not work",
                                          "Kestrel Error", kMbOk}}));
}

TEST_F(PlaybackSupervisorTest, AFailedPrepareStopsThePreparingButTheDeviceIsReady) {
    device.failing = {"prepare"};
    openPlayback(playback, 0);
    EXPECT_EQ(device.journal(), (Journal{"open 0 12000", "prepare 0"}));
    EXPECT_EQ(ui.messageBoxes(),
              (std::vector<UiMessageBox>{
                  {"TXOpen_close 57 waveOutPrepareHeader error", "Kestrel Error", kMbTopMost}}));
    EXPECT_EQ(state.txSoundState, 1);
}

TEST_F(PlaybackSupervisorTest, EventsReachTheSoundOutput) {
    openPlayback(playback, 0);
    state.txState = 3;
    device.sink(PlaybackEvent::bufferDone, 1);
    EXPECT_EQ(output.doneQueue[0].load(), 1);
    state.txState = 0;
    device.sink(PlaybackEvent::bufferDone, 0);  // after the end: dropped
    EXPECT_EQ(output.doneQueue[1].load(), kEmptySlot);
}

TEST_F(PlaybackSupervisorTest, AReopenRequestClosesInOrderAndOpensTheChosenDeviceAgain) {
    openPlayback(playback, 0);
    state.txDeviceId = 4;
    state.sampleRate = 19800;
    state.txState = 3;
    state.txSoundState = 3;
    playbackSupervisor(playback);
    EXPECT_EQ(device.journal(),
              (Journal{"open 0 12000", "prepare 0", "prepare 1", "reset", "unprepare 0",
                       "unprepare 1", "close", "open 4 19800", "prepare 0", "prepare 1"}));
    EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{10, 10, 100, 50, 101}));
    EXPECT_EQ(state.txState, 0);
    EXPECT_EQ(state.txSoundState, 1);
}

TEST_F(PlaybackSupervisorTest, FailuresWhileClosingAreEachReportedAndTheReopenGoesOn) {
    openPlayback(playback, 0);
    device.failing = {"reset", "unprepare", "close"};
    state.txSoundState = 3;
    playbackSupervisor(playback);
    std::vector<std::string> texts;
    for (const auto& box : ui.messageBoxes()) texts.push_back(box.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"TXOpen_close 86 waveOutReset error",
                                               "TXOpen_close: 94 waveOutUnprepareHeader error",
                                               "TXOpen_close: 94 waveOutUnprepareHeader error",
                                               "TXOpen_close: 101 waveOutClose error"}));
    EXPECT_EQ(state.txSoundState, 1);
}

TEST_F(PlaybackSupervisorTest, ARequestInFskModeEndsTheSupervisorWithoutTouchingTheDevice) {
    state.TXmode = 3;
    state.txSoundState = 3;
    playbackSupervisor(playback);
    EXPECT_TRUE(device.journal().empty());
    EXPECT_FALSE(playback.stopRequested);
}

}  // namespace
}  // namespace kestrel
