#include "transmit/sound_output.h"

#include <thread>

namespace kestrel {

void copyToChannels(const TxFrame& frame, int txChannel, std::span<std::int16_t> stereo) {
    const bool left = txChannel != 2;
    const bool right = txChannel != 1;
    for (int n = 0; n < kTxFrameSamples; ++n) {
        stereo[2 * n] = left ? frame[n] : std::int16_t{0};
        stereo[2 * n + 1] = right ? frame[n] : std::int16_t{0};
    }
}

void SoundOutput::playbackCallback(PlaybackNotification notification, int bufferIndex) {
    if (notification == PlaybackNotification::Open) {
        if (writerStarted != 0) return;  // the writer outlives every reopening
        for (auto& slot : doneQueue) slot.store(kEmptySlot);
        writerRunning = true;
        std::thread([this] { playbackWriter(); }).detach();
        writerStarted = 1;
        return;
    }
    if (notification != PlaybackNotification::Done || state.txState.load() == 0) return;
    doneQueue[doneWriteIndex].store(bufferIndex, std::memory_order_release);
    doneWriteIndex = (doneWriteIndex + 1) % kPlaybackBuffers;
}

int SoundOutput::fillAndWrite(int index) {
    generators.generateFrame(scratch);
    copyToChannels(scratch, state.TXChannel.load(), bufferAudio(index));
    return port.writeBuffer(index, bufferAudio(index));
}

void SoundOutput::primePlayback() {
    for (int index = 0; index < kPlaybackBuffers; ++index)
        if (fillAndWrite(index) != 0) state.txSoundState = 3;  // ask for a reopen
}

int SoundOutput::refillCompleted() {
    int refilled = 0;
    for (;;) {
        std::atomic<int>& slot = doneQueue[doneReadIndex];
        const int index = slot.load(std::memory_order_acquire);
        if (index == kEmptySlot) return refilled;
        fillAndWrite(index);  // a failed write is not retried; the next frame goes on
        slot.store(kEmptySlot, std::memory_order_release);
        doneReadIndex = (doneReadIndex + 1) % kPlaybackBuffers;
        ++refilled;
    }
}

void SoundOutput::playbackWriter() {
    while (!stopWriter.load()) {
        refillCompleted();
        clock.sleepMs(kWriterPollMs);
    }
    writerRunning = false;
}

}  // namespace kestrel
