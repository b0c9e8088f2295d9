#include "transmit/sound_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/logger_codes.h"
#include "support/sound_rig.h"
#include "transmit/offline_playback.h"

namespace kestrel {
namespace {

TEST(CopyToChannels, MonoGoesToBothChannelsOrOnlyTheChosenOne) {
    TxFrame frame;
    for (int n = 0; n < kTxFrameSamples; ++n) frame[n] = static_cast<std::int16_t>(n - 1000);
    std::vector<std::int16_t> stereo(kStereoFrameValues, 99);
    for (int channel : {0, 1, 2}) {
        SCOPED_TRACE(channel);
        copyToChannels(frame, channel, stereo);
        for (int n = 0; n < kTxFrameSamples; ++n) {
            ASSERT_EQ(stereo[2 * n], channel == 2 ? 0 : frame[n]) << n;
            ASSERT_EQ(stereo[2 * n + 1], channel == 1 ? 0 : frame[n]) << n;
        }
    }
}

class SoundOutputTest : public ::testing::Test {
  protected:
    SoundRig rig;
};

// The generator of each mode, as the writer calls it (any other mode keys DOOK): while receiving a
// frame is silent and PTT is released again; in a state it does not know it shows its error and
// leaves the frame.
TEST(SoundGenerators, ReceivingIsSilentAndAnUnknownStateAnError) {
    struct Case {
        int mode, unknownState;
        UiMessageBox box;
        bool releasesWhileReceiving;
    };
    const Case cases[] = {{0, 6, {"TX AFSK error 105", "Kestrel Error", kMbTopMost}, true},
                          {1, 9, {"TX DOOK error 95", "Kestrel Error", kMbTopMost}, true},
                          {2, -1, {"TXpfsk switch default: error", "", kMbTopMost}, false},
                          {7, 9, {"TX DOOK error 95", "Kestrel Error", kMbTopMost}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        SoundRig rig;
        rig.state.TXmode = c.mode;
        TxFrame f;
        f.fill(77);
        rig.generators.generateFrame(f);
        EXPECT_TRUE(std::all_of(f.begin(), f.end(), [](auto s) { return s == 0; }));
        if (c.releasesWhileReceiving) {
            EXPECT_EQ(rig.ptt.calls(), std::vector<bool>{false});
            EXPECT_EQ(rig.logger.posts(), (std::vector<LoggerPost>{{TXM_PTTEVENT, 0}}));
        }
        rig.state.txState = c.unknownState;
        f.fill(77);
        rig.generators.generateFrame(f);
        EXPECT_TRUE(std::all_of(f.begin(), f.end(), [](auto s) { return s == 77; }));
        EXPECT_EQ(rig.ui.messageBoxes(), std::vector<UiMessageBox>{c.box});
        EXPECT_EQ(rig.state.txState, c.unknownState);
    }
}

TEST_F(SoundOutputTest, PrimePlaybackQueuesBothPreambleFramesInBufferOrder) {
    rig.state.txState = 1;
    rig.state.TXChannel = 1;
    rig.output.primePlayback();
    const auto writes = rig.port.writes();
    ASSERT_EQ(rig.port.writtenIndices(), (std::vector<int>{0, 1}));
    EXPECT_EQ(rig.state.txState, 3);
    EXPECT_EQ(rig.ptt.calls(), std::vector<bool>{true});
    for (const auto& w : writes) ASSERT_EQ(w.stereo.size(), std::size_t(kStereoFrameValues));
    const auto first = SoundRig::left(writes[0]);
    EXPECT_EQ(first[0], 0);  // the fade-in starts from nothing
    EXPECT_NEAR(toneFrequency(first, 400, kTxFrameSamples, 12000), 2295.0, 0.05);
    EXPECT_NEAR(toneFrequency(SoundRig::left(writes[1]), 61, kTxFrameSamples, 12000), 2125.0, 0.05);
    for (std::size_t n = 1; n < writes[0].stereo.size(); n += 2) ASSERT_EQ(writes[0].stereo[n], 0);
    EXPECT_EQ(rig.state.txSoundState, 0);
}

// The driver's part while a new transmission waits: each sleep lets the buffer written
// first of those not yet played finish, as a device plays them in order.
class DriverClock : public FakeClock {
  public:
    SoundOutput* output = nullptr;
    FakePlaybackPort* port = nullptr;
    std::size_t played = 0;
    void sleepMs(std::uint32_t ms) override {
        FakeClock::sleepMs(ms);
        const std::vector<int> written = port->writtenIndices();
        if (played < written.size())
            output->playbackCallback(PlaybackNotification::Done, written[played++]);
    }
};

TEST(SoundOutputBackToBack, ANewTransmissionWaitsForTheLastOnesBuffersAndDropsTheirCompletion) {
    SoundRig rig;
    DriverClock driver;
    SoundOutput output{rig.state, rig.generators, rig.port, driver};
    driver.output = &output;
    driver.port = &rig.port;
    rig.state.txState = 1;
    output.primePlayback();
    rig.state.txState = 0;  // that transmission ended while both buffers still play
    EXPECT_TRUE(output.playing[0] && output.playing[1]);

    rig.state.txState = 1;  // the logger starts the next one at once
    output.primePlayback();
    EXPECT_EQ(rig.port.writtenIndices(), (std::vector<int>{0, 1, 0, 1}));
    EXPECT_EQ(driver.sleeps.size(), 2u);                // one wait for each buffer to come free
    EXPECT_EQ(output.doneQueue[0].load(), kEmptySlot);  // the old completions are not refilled
    EXPECT_EQ(output.doneQueue[1].load(), kEmptySlot);
    EXPECT_EQ(rig.state.txState, 3);

    output.playbackCallback(PlaybackNotification::Done, 0);  // the new preamble's own
    EXPECT_EQ(output.doneQueue[0].load(), 0);
}

TEST_F(SoundOutputTest, AFailedWriteWhilePrimingRequestsAReopen) {
    rig.state.txState = 1;
    rig.port.writeResult = 11;
    rig.output.primePlayback();
    EXPECT_EQ(rig.port.writtenIndices().size(), 2u);
    EXPECT_EQ(rig.state.txSoundState, 3);
}

TEST_F(SoundOutputTest, FinishedBuffersAreRefilledInTheOrderTheyFinish) {
    rig.type("TU");
    rig.state.txState = 1;
    rig.output.primePlayback();
    rig.output.playbackCallback(PlaybackNotification::Done, 0);
    EXPECT_EQ(rig.output.refillCompleted(), 1);
    rig.output.playbackCallback(PlaybackNotification::Done, 1);
    rig.output.playbackCallback(PlaybackNotification::Done, 0);
    EXPECT_EQ(rig.output.refillCompleted(), 2);
    EXPECT_EQ(rig.output.refillCompleted(), 0);
    EXPECT_EQ(rig.port.writtenIndices(), (std::vector<int>{0, 1, 0, 1, 0}));
    EXPECT_EQ(rig.logger.values(TXM_CHAR), (std::vector<std::int64_t>{'T', 'U'}));
}

TEST_F(SoundOutputTest, BuffersFinishingWhileReceivingAreDropped) {
    rig.output.playbackCallback(PlaybackNotification::Done, 0);
    rig.output.playbackCallback(PlaybackNotification::Close, 1);
    EXPECT_EQ(rig.output.refillCompleted(), 0);
    EXPECT_TRUE(rig.port.writes().empty());
    EXPECT_EQ(rig.output.doneWriteIndex, 0);
}

TEST_F(SoundOutputTest, ATransmissionPlaysPreambleTextClosingLtrsAndFadeThenFallsSilent) {
    OfflinePlayback device;
    SoundOutput output{rig.state, rig.generators, device, rig.clock};
    rig.type("73");
    rig.state.txState = 1;
    output.primePlayback();
    rig.state.txState = 4;
    device.playAll(output);
    // Preamble 2, FIGS 7 3, closing LTRS, fade: 7 frames; the buffer that finishes after
    // the fade is not queued again.
    EXPECT_EQ(device.played.size(), 7u * kStereoFrameValues);
    EXPECT_EQ(device.writes, 7);
    EXPECT_EQ(rig.state.txState, 0);
    EXPECT_EQ(rig.releaseStarts, 1);
    const auto tail = std::vector<std::int16_t>(device.played.end() - 2 * (kTxFrameSamples - 264),
                                                device.played.end());
    EXPECT_TRUE(std::all_of(tail.begin(), tail.end(), [](auto s) { return s == 0; }));
}

TEST_F(SoundOutputTest, AfterAResetTheQueuedBuffersAreNotWrittenAgain) {
    OfflinePlayback device;
    SoundOutput output{rig.state, rig.generators, device, rig.clock};
    rig.type("CQ CQ CQ");
    rig.state.txState = 1;
    output.primePlayback();
    device.playNext(output);  // the first preamble frame plays; its buffer is refilled
    rig.state.txState = 0;    // abort
    output.resetPlayback();
    device.playAll(output);
    EXPECT_EQ(device.played.size(), std::size_t(kStereoFrameValues));
    EXPECT_EQ(device.writes, 3);
}

// Sleeps for real, so the writer thread polls as it does in the program.
class SleepingClock : public FakeClock {
  public:
    void sleepMs(std::uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

TEST_F(SoundOutputTest, OpenStartsOneWriterThatRefillsFinishedBuffers) {
    SleepingClock clock;
    SoundOutput output{rig.state, rig.generators, rig.port, clock};
    output.doneQueue[1] = 1;  // left over from before the device opened
    output.playbackCallback(PlaybackNotification::Open, 0);
    output.playbackCallback(PlaybackNotification::Open, 0);
    EXPECT_EQ(output.writerStarted, 1);
    rig.state.txState = 1;
    output.primePlayback();
    output.playbackCallback(PlaybackNotification::Done, 0);
    for (int i = 0; i < 2000 && rig.port.writes().size() < 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    output.stopWriter = true;
    while (output.writerRunning) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(rig.port.writtenIndices(), (std::vector<int>{0, 1, 0}));
}

}  // namespace
}  // namespace kestrel
