#include "transmit/playback_supervisor.h"

#include "text/captions.h"

namespace kestrel {
namespace {

void showError(PlaybackDevice& playback, const char* text, unsigned flags = kMbOk) {
    playback.ui.messageBox(text, kErrorCaption, flags);
}

bool stopped(const PlaybackDevice& playback) {
    return playback.stopRequested.load();
}

}  // namespace

void closePlayback(PlaybackDevice& playback) {
    if (playback.device.resetOutput() != 0) showError(playback, kPlaybackResetFailed);
    playback.clock.sleepMs(10);
    for (int index = 0; index < kPlaybackBuffers; ++index) {
        if (playback.device.unprepareBuffer(index) != 0)
            showError(playback, kPlaybackUnprepareFailed);
    }
    playback.clock.sleepMs(100);
    if (playback.device.closeDevice() != 0) showError(playback, kPlaybackCloseFailed);
    playback.clock.sleepMs(50);
}

void openPlayback(PlaybackDevice& playback, std::uint32_t deviceId) {
    ModemState& state = playback.state;
    SoundOutput& output = playback.output;
    const int opened = playback.device.openDevice(
        deviceId, state.sampleRate,
        [&output](PlaybackEvent event, int index) { output.playbackCallback(event, index); });
    if (opened != 0) {
        showError(playback, kPlaybackOpenFailed);
        state.txSoundState = kSoundUnavailable;
        return;
    }
    output.forgetPlayingBuffers();
    for (int index = 0; index < kPlaybackBuffers; ++index) {
        if (playback.device.prepareBuffer(index, output.bufferAudio(index)) != 0) {
            showError(playback, kPlaybackPrepareFailed, kMbOk | kMbTopMost);
            break;
        }
    }
    // A transmission that waited for the device gets its full time from now.
    output.noteProgress();
    state.txSoundState = kSoundReady;
}

void endStalledTransmission(PlaybackDevice& playback) {
    ModemState& state = playback.state;
    const int txState = state.txState.load();
    if (txState == kTxIdle || !soundCardMode(state.TXmode.load())) return;
    std::uint32_t limitMs = kStalledTransmissionMs;
    if (txState >= kTxEndRequested)
        limitMs = kStalledEndingMs;
    else if (state.txSoundState.load() != kSoundReady)
        limitMs = kStalledReopenMs;
    if (millisecondsSince(playback.clock, playback.output.lastProgress()) < limitMs) return;
    playback.endTransmission();
    playback.ui.setStatusText(kNoticeStatusPart, kPlaybackStalledStatus);
    state.txSoundState = kReopenRequest;
    playback.tellStall();
}

namespace {

// The transmission is ended before the device lock is taken: one that starts after that
// waits for the new device instead of being written to the closing one.
void reopenPlayback(PlaybackDevice& playback) {
    ModemState& state = playback.state;
    if (state.txState != kTxIdle) playback.endTransmission();
    const auto device = playback.output.lockDevice();
    playback.clock.sleepMs(10);
    if (playback.device.deviceOpen()) closePlayback(playback);
    state.txSoundState = kSoundUnavailable;
    openPlayback(playback, state.txDeviceId);
}

}  // namespace

void playbackSupervisor(PlaybackDevice& playback) {
    ModemState& state = playback.state;
    while (!stopped(playback)) {
        if (state.txSoundState < kReopenThreshold) {
            playback.clock.sleepMs(kSupervisorPollMs);
            continue;
        }
        if (state.TXmode == kFskMode)
            state.txSoundState = kSoundUnavailable;
        else
            reopenPlayback(playback);
    }
}

void transmissionWatchdog(PlaybackDevice& playback) {
    while (!stopped(playback)) {
        endStalledTransmission(playback);
        playback.clock.sleepMs(kSupervisorPollMs);
    }
}

}  // namespace kestrel
