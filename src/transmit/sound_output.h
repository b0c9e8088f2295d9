#pragma once
// The transmit sound output without the device: two buffers of one frame each alternate on
// the output; each that finishes while a transmission runs is refilled by the writer with
// the next frame of the current generator, copied into the channels TXChannel selects. The
// first two frames of a transmission are queued by primePlayback.
#include <array>
#include <atomic>
#include <cstdint>
#include <span>

#include "modem_state.h"
#include "platform/clock_port.h"
#include "platform/playback_device_port.h"
#include "transmit/sound_generators.h"

namespace kestrel {

inline constexpr int kPlaybackBuffers = 2;
inline constexpr int kStereoFrameValues = 2 * kTxFrameSamples;  // 7920 bytes
inline constexpr std::uint32_t kWriterPollMs = 23;
inline constexpr int kEmptySlot = -1;
// How long a new transmission waits for the last one's audio to finish playing: two
// frames at 45.45 baud, with room to spare.
inline constexpr int kPrimeWaitMs = 400;

enum class PlaybackNotification { Open, Done, Close };

// Copies a mono frame into left/right pairs: TXChannel 1 left only, 2 right only, any other
// value both channels.
void copyToChannels(const TxFrame& frame, int txChannel, std::span<std::int16_t> stereo);

struct SoundOutput {
    SoundOutput(ModemState& state, SoundGenerators& generators, PlaybackDevicePort& port,
                ClockPort& clock)
        : state(state), generators(generators), port(port), clock(clock) {}

    // The device's callback: Open starts the writer once; Done queues the finished buffer
    // for refilling, but only while transmitting, which is how the output falls silent.
    void playbackCallback(PlaybackNotification notification, int bufferIndex);
    // Makes and queues the two preamble frames of a new transmission. A buffer still
    // playing the end of the last transmission (loggers start the next one at once) is
    // waited for, and its late completion is not taken for the new transmission's; a
    // completion of the new frames, however early, is.
    void primePlayback();
    // After the device was opened anew: no buffer plays.
    void forgetPlayingBuffers();
    // One pass of the writer: refills and requeues every finished buffer. Returns how many.
    int refillCompleted();
    // The writer thread's body: refill, sleep 23 ms, until stopWriter is set.
    void playbackWriter();
    // Stops the queued audio at once (an aborted transmission).
    void resetPlayback() { port.resetOutput(); }

    std::span<std::int16_t> bufferAudio(int index) {
        return std::span<std::int16_t>(audio).subspan(index * kStereoFrameValues,
                                                      kStereoFrameValues);
    }

    ModemState& state;
    SoundGenerators& generators;
    PlaybackDevicePort& port;
    ClockPort& clock;

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

  private:
    int fillAndWrite(int index);
    TxFrame scratch{};
};

}  // namespace kestrel
