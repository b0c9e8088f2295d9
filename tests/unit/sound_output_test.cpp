#include "transmit/sound_output.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/logger_codes.h"
#include "support/sound_rig.h"
#include "transmit/offline_playback.h"

namespace kestrel {
namespace {

class SoundOutputTest : public ::testing::Test {
  protected:
    SoundRig rig;
};

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

// A device that finishes the first preamble frame while the second is being written, as
// a busy machine may let it.
struct HastyDevice : FakePlaybackPort {
    SoundOutput* output = nullptr;
    int writeBuffer(int index, std::span<const std::int16_t> stereo) override {
        const int result = FakePlaybackPort::writeBuffer(index, stereo);
        if (index == 1) output->playbackCallback(PlaybackNotification::Done, 0);
        return result;
    }
};

TEST(SoundOutputBackToBack, APreambleFrameFinishedBeforeTheNextIsWrittenIsStillRefilled) {
    SoundRig rig;
    HastyDevice device;
    SoundOutput output{rig.state, rig.generators, device, rig.clock};
    device.output = &output;
    rig.state.txState = 1;
    output.primePlayback();
    EXPECT_EQ(output.refillCompleted(), 1);  // else the transmission stalls, keyed
}

TEST_F(SoundOutputTest, FinishedBuffersAreRefilledInTheOrderTheyFinish) {
    rig.type("TU");
    rig.state.txState = 1;
    rig.output.primePlayback();
    rig.output.playbackCallback(PlaybackNotification::Done, 0);
    EXPECT_EQ(rig.output.refillCompleted(), 1);
    rig.output.playbackCallback(PlaybackNotification::Done, 1);
    rig.output.playbackCallback(PlaybackNotification::Done, -1);  // no buffer of ours
    rig.output.playbackCallback(PlaybackNotification::Done, kPlaybackBuffers);
    rig.output.playbackCallback(PlaybackNotification::Done, 0);
    EXPECT_EQ(rig.output.refillCompleted(), 2);
    EXPECT_EQ(rig.output.refillCompleted(), 0);
    EXPECT_EQ(rig.port.writtenIndices(), (std::vector<int>{0, 1, 0, 1, 0}));
    EXPECT_EQ(rig.logger.values(TXM_CHAR), (std::vector<std::int64_t>{'T', 'U'}));
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

}  // namespace
}  // namespace kestrel
