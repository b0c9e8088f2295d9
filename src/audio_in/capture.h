#pragma once
// Live sound-card input. 512 buffers of 128 bytes circulate through the device; the
// driver's callback queues each filled one for the receive thread, which picks the
// channel, reduces the rate and feeds the receive chain, then hands the buffer back. A
// watchdog in the receive thread notices a device that stopped delivering, and the
// supervisor closes and reopens the device whenever captureState asks for it.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

#include "audio_in/capture_reduction.h"
#include "audio_in/contact_recorder.h"
#include "audio_in/receive_chain.h"
#include "modem_state.h"
#include "platform/capture_device_port.h"
#include "platform/clock_port.h"
#include "platform/ui_port.h"

namespace kestrel {

// 341 ms of stereo input (683 ms of mono): a busy machine was measured to keep a thread
// waiting up to 140 ms, and the receive thread, which does the heavy work, may wait that
// long twice over before the device runs out of buffers and audio is lost.
inline constexpr int kCaptureBuffers = 512;
inline constexpr std::size_t kCaptureBufferBytes = 128;
inline constexpr std::size_t kCaptureBufferSamples = kCaptureBufferBytes / sizeof(std::int16_t);
// How long a started input may deliver no buffer before it counts as dead, unless the
// device's position still moves: then its buffers are only late (a busy machine keeps the
// driver's thread waiting), up to kCaptureLateMs. Under Wine at a load of 4 to 5 on two
// cores the driver's thread, which moves the position too, stood still for more than
// 180 ms about three times a minute, and each reopen cost the receiver its audio for longer
// than the stall did; a dead device is still reopened within a second.
inline constexpr std::uint32_t kCaptureSilentMs = 1000;
inline constexpr std::uint32_t kCaptureLateMs = 3000;

class Capture {
  public:
    // recorder, when given, keeps the raw input while contact recording is armed.
    Capture(ModemState& state, ReceiveChain& chain, CaptureDevicePort& device, UiPort& ui,
            ClockPort& clock, ContactRecorder* recorder = nullptr)
        : state_(state),
          chain_(chain),
          device_(device),
          ui_(ui),
          clock_(clock),
          recorder_(recorder) {}
    // Ends the receive thread and waits until it has gone.
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    // Opens rxDeviceId in the capture format for RXChannel, prepares and queues the
    // buffers and starts capturing; captureState is 1 afterwards. Returns 0, or the
    // result code of the first call that failed (its text already shown).
    int open();
    // Stops capturing, resets, releases the buffers and closes the device; the receive
    // thread ends with it. The first failing step's error text is shown once all are done.
    void close();
    // The supervisor thread: closes and reopens the device whenever captureState is 2 or
    // more. A reopen the watchdog asked for waits for a transmission under way to end,
    // since it reopens the sound output too. Returns once requestStop was called.
    void supervise();
    void requestStop() { stopRequested_ = true; }
    // For a file or the pause replay about to feed the receive chain, once wavPlaying or
    // pauseState is set: waits until the receive thread is done with a buffer it began
    // before, so the chain is never fed from two threads at once.
    void waitForLiveBuffer() const;
    // The watchdog found the input dead and the sound output is to be reopened with it.
    bool outputReopenWanted() const { return outputReopenWanted_; }

  private:
    // The driver's callback: starts the receive thread when none runs, queues filled
    // buffers, and lets the thread end when the device closes. Ignores everything while
    // captureEnabled_ is 0.
    void callback(CaptureEvent event, int bufferIndex, std::size_t bytesRecorded);
    // The receive thread: the one consumer of the queue, on which the whole receive chain
    // runs.
    void rxThread();
    void startRxThread();
    int nextBuffer();
    void receiveBuffer(int index);
    void feedChain(int index);
    void restartWatch();
    bool inputDeadNow();
    void inputDead();
    int report(int result);
    std::span<std::int16_t> bufferAudio(int index);

    ModemState& state_;
    ReceiveChain& chain_;
    CaptureDevicePort& device_;
    UiPort& ui_;
    ClockPort& clock_;
    ContactRecorder* recorder_;

    std::atomic<int> captureEnabled_{0};   // the callback accepts buffers
    std::atomic<int> rxThreadRunning_{0};  // the receive thread exists; it ends on 0
    // Filled buffers in the order the device filled them: buffer index + 1, 0 = empty.
    std::array<std::atomic<int>, kCaptureBuffers> bufferQueue_{};
    std::uint32_t queueWriteIndex_ = 0;  // the callback's
    std::uint32_t queueReadIndex_ = 0;   // the receive thread's
    // The receive thread's watch: the clock's counter at the last buffer and at the last
    // move of the device's position, and that position.
    std::int64_t lastBufferAt_ = 0;
    std::int64_t lastMoveAt_ = 0;
    std::int64_t lastPosition_ = -1;
    // The watchdog found the input dead: the sound output is reopened with it, once no
    // transmission is under way.
    std::atomic<bool> outputReopenWanted_{false};
    CaptureReduction reduction_;
    std::atomic<bool> stopRequested_{false};  // ends the supervisor

    // The channel choice the device was opened with: the format is fixed at open time.
    std::atomic<int> openedRxChannel_{1};
    // The audio area the buffers describe, and what the device recorded into each.
    std::array<std::int16_t, kCaptureBuffers * kCaptureBufferSamples> audio_{};
    std::array<std::atomic<std::size_t>, kCaptureBuffers> bytesRecorded_{};
    std::atomic<int> rxThreadsAlive_{0};
    // The receive thread is feeding a buffer into the receive chain.
    std::atomic<bool> feedingChain_{false};
};

}  // namespace kestrel
