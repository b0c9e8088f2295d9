#include "transmit/sound_output.h"

#include <chrono>
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

void SoundOutput::playbackCallback(PlaybackEvent event, int bufferIndex) {
    if (event == PlaybackEvent::opened) {
        if (writerStarted != 0) return;  // the writer outlives every reopening
        for (auto& slot : doneQueue) slot.store(kEmptySlot);
        writerRunning = true;
        std::thread([this] { playbackWriter(); }).detach();
        writerStarted = 1;
        return;
    }
    if (event != PlaybackEvent::bufferDone) return;
    // An index that names none of our buffers is dropped: refilling it would write
    // outside the audio.
    if (bufferIndex < 0 || bufferIndex >= kPlaybackBuffers) return;
    playing[bufferIndex] = false;
    noteProgress();
    if (!current[bufferIndex].load() || state.txState.load() == kTxIdle) return;
    doneQueue[doneWriteIndex].store(bufferIndex, std::memory_order_release);
    doneWriteIndex = (doneWriteIndex + 1) % kPlaybackBuffers;
}

int SoundOutput::fillAndWrite(int index) {
    generators.generateFrame(scratch);
    copyToChannels(scratch, state.TXChannel.load(), bufferAudio(index));
    playing[index] = true;
    const int result = port.writeBuffer(index, bufferAudio(index));
    if (result != 0)
        playing[index] = false;
    else
        noteProgress();
    return result;
}

void SoundOutput::startTransmission() {
    noteProgress();
    if (!writerRunning.load()) {
        primePlayback();
        return;
    }
    primeRequested = true;
    wakeWriter();
}

void SoundOutput::stopPlayback() {
    primeRequested = false;
    if (!writerRunning.load()) {
        port.resetOutput();
        return;
    }
    resetRequested = true;
    wakeWriter();
}

void SoundOutput::wakeWriter() {
    {
        const std::lock_guard lock(wakeMutex);
        woken = true;
    }
    wake.notify_one();
}

void SoundOutput::primePlayback() {
    priming = true;
    for (auto& buffer : current) buffer = false;
    for (int index = 0; index < kPlaybackBuffers; ++index) {
        for (int waited = 0; playing[index].load() && waited < kPrimeWaitMs; ++waited)
            clock.sleepMs(1);
        current[index] = true;
        if (fillAndWrite(index) != 0) state.txSoundState = kReopenRequest;
    }
    priming = false;
}

void SoundOutput::forgetPlayingBuffers() {
    for (auto& buffer : playing) buffer = false;
}

int SoundOutput::refillCompleted() {
    // A preamble frame may finish before the next one is made; it waits here, so that the
    // frames are made one at a time and in order.
    if (priming.load()) return 0;
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

// A preamble asked for while the device is closed or being reopened waits for it; the
// transmission watchdog ends a transmission whose device never comes back.
void SoundOutput::serveDevice() {
    const auto device = lockDevice();
    if (resetRequested.exchange(false)) port.resetOutput();
    if (primeRequested.load() && state.txSoundState.load() == kSoundReady) {
        primeRequested = false;
        if (state.txState.load() != kTxIdle) primePlayback();
    }
    refillCompleted();
}

void SoundOutput::playbackWriter() {
    if (priority != nullptr) priority->raiseAudioThread();
    while (!stopWriter.load()) {
        serveDevice();
        std::unique_lock lock(wakeMutex);
        wake.wait_for(lock, std::chrono::milliseconds(kWriterPollMs),
                      [this] { return woken || stopWriter.load(); });
        woken = false;
    }
    writerRunning = false;
}

void SoundOutput::stopWriterThread() {
    stopWriter = true;
    wakeWriter();
    while (writerRunning.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace kestrel
