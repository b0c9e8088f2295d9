#pragma once
// The transmit sound output without the device: two buffers of one frame each alternate on
// the output; each that finishes while a transmission runs is refilled by the writer with
// the next frame of the current generator, copied into the channels TXChannel selects. The
// first two frames of a transmission are queued by primePlayback.
//
// Once the device has opened, the writer thread alone writes and resets it, under the
// device lock that the supervisor holds while it closes and reopens the device: the window
// that starts and aborts transmissions only asks, and never waits on a sound driver.
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>

#include "modem_state.h"
#include "platform/clock_port.h"
#include "platform/playback_device_port.h"
#include "platform/priority_port.h"
#include "transmit/sound_generators.h"

namespace kestrel {

inline constexpr int kPlaybackBuffers = 2;
inline constexpr int kStereoFrameValues = 2 * kTxFrameSamples;  // 7920 bytes
inline constexpr std::uint32_t kWriterPollMs = 23;
inline constexpr int kEmptySlot = -1;
// How long a new transmission waits for the last one's audio to finish playing: two
// frames at 45.45 baud, with room to spare.
inline constexpr int kPrimeWaitMs = 400;

// Copies a mono frame into left/right pairs: TXChannel 1 left only, 2 right only, any other
// value both channels.
void copyToChannels(const TxFrame& frame, int txChannel, std::span<std::int16_t> stereo);

struct SoundOutput {
    // priority, where given, raises the writer thread.
    SoundOutput(ModemState& state, SoundGenerators& generators, PlaybackDevicePort& port,
                ClockPort& clock, PriorityPort* priority = nullptr)
        : state(state), generators(generators), port(port), clock(clock), priority(priority) {}

    // The device's callback: opened starts the writer once; bufferDone queues the finished buffer
    // for refilling, but only while transmitting, which is how the output falls silent.
    void playbackCallback(PlaybackEvent event, int bufferIndex);
    // A transmission has started (txState is kTxRequested): its preamble is primed by the
    // writer as soon as the device is ready, or at once where no writer runs (the offline
    // player).
    void startTransmission();
    // Stops the queued audio at once (an aborted transmission), through the writer where
    // one runs.
    void stopPlayback();
    // The clock's counter when the output last made progress: a transmission started, a
    // buffer was written or finished, the device was opened anew. The transmission
    // watchdog reads it.
    std::int64_t lastProgress() const { return progressAt.load(); }
    void noteProgress() { progressAt = clock.counter(); }
    // Makes and queues the two preamble frames of a new transmission. A buffer still
    // playing the end of the last transmission (loggers start the next one at once) is
    // waited for, and its late completion is not taken for the new transmission's; a
    // completion of the new frames, however early, is.
    void primePlayback();
    // After the device was opened anew: no buffer plays.
    void forgetPlayingBuffers();
    // One pass of the writer: refills and requeues every finished buffer. Returns how many.
    int refillCompleted();
    // One pass of the writer thread, under the device lock: a reset asked for, then a
    // preamble asked for (once the device is ready), then the refills.
    void serveDevice();
    // The writer thread's body: serve the device, then wait 23 ms or until asked, until
    // stopWriter is set.
    void playbackWriter();
    // Held by whoever uses the device: the writer, and the supervisor while it reopens it.
    std::unique_lock<std::mutex> lockDevice() { return std::unique_lock(deviceMutex); }
    // Ends the writer thread and waits for it (the program's end, tests).
    void stopWriterThread();

    std::span<std::int16_t> bufferAudio(int index) {
        return std::span<std::int16_t>(audio).subspan(index * kStereoFrameValues,
                                                      kStereoFrameValues);
    }

    ModemState& state;
    SoundGenerators& generators;
    PlaybackDevicePort& port;
    ClockPort& clock;
    PriorityPort* priority;

    std::array<std::int16_t, kPlaybackBuffers * kStereoFrameValues> audio{};
    // Finished buffers: a slot holds a buffer index or kEmptySlot. The callback alone
    // advances doneWriteIndex and the writer alone doneReadIndex, so no lock is needed.
    std::array<std::atomic<int>, kPlaybackBuffers> doneQueue{kEmptySlot, kEmptySlot};
    int doneWriteIndex = 0;
    int doneReadIndex = 0;
    int writerStarted = 0;
    std::atomic<bool> stopWriter{false};  // for tests; the program never stops the writer
    std::atomic<bool> writerRunning{false};
    // Written to the device and not yet reported done.
    std::array<std::atomic<bool>, kPlaybackBuffers> playing{false, false};
    std::atomic<bool> priming{false};  // the preamble is being made; the writer waits
    // Written for the transmission under way; completions of the others are not refilled.
    std::array<std::atomic<bool>, kPlaybackBuffers> current{false, false};
    // What the window asked of the writer.
    std::atomic<bool> primeRequested{false};
    std::atomic<bool> resetRequested{false};

  private:
    int fillAndWrite(int index);
    void wakeWriter();
    TxFrame scratch{};
    std::mutex deviceMutex;
    std::mutex wakeMutex;
    std::condition_variable wake;
    bool woken = false;  // under wakeMutex
    std::atomic<std::int64_t> progressAt{0};
};

}  // namespace kestrel
