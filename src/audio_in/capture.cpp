#include "audio_in/capture.h"

#include <algorithm>
#include <thread>

#include "busy_wait.h"
#include "text/captions.h"

namespace kestrel {
namespace {

constexpr std::uint32_t kRxPollMs = 5;
constexpr std::uint32_t kSupervisorPollMs = 103;
constexpr std::uint32_t kSettleAfterStartMs = 20;
constexpr std::uint32_t kBeforeCloseMs = 100;
constexpr std::uint32_t kBetweenCloseStepsMs = 20;

// Shows the platform's text for a failed call; passes the result on.
int report(Capture& capture, int result) {
    if (result != 0)
        capture.ui.messageBox(capture.device.errorText(result), kErrorCaption, kMbOk | kMbTopMost);
    return result;
}

bool discarding(const ModemState& state) {
    return state.wavPlaying == 1 || state.pauseState >= 1;
}

void restartWatch(Capture& capture) {
    capture.lastBufferAt = capture.lastMoveAt = capture.clock.counter();
}

// No buffer for kCaptureSilentMs: dead unless the device's position has moved within as
// long, and dead all the same after kCaptureLateMs.
bool inputDeadNow(Capture& capture) {
    const double silent = millisecondsSince(capture.clock, capture.lastBufferAt);
    if (silent < kCaptureSilentMs) return false;
    const std::int64_t position = capture.device.recordedPosition();
    if (position >= 0 && position != capture.lastPosition) {
        capture.lastPosition = position;
        capture.lastMoveAt = capture.clock.counter();
    }
    return millisecondsSince(capture.clock, capture.lastMoveAt) >= kCaptureSilentMs ||
           silent >= kCaptureLateMs;
}

// The input delivered nothing for too long: ask for the device and the sound output to
// be reopened, and end this thread; the first callback after the reopen starts a new one.
void inputDead(Capture& capture) {
    capture.outputReopenWanted = true;
    capture.state.captureState = kReopenRequest;
    capture.captureEnabled = 0;
    capture.queueReadIndex = 0;
    capture.rxThreadRunning = 0;
}

// Waits for the next filled buffer; -1 when the thread is to end.
int nextBuffer(Capture& capture) {
    for (;;) {
        const int slot =
            capture.bufferQueue[capture.queueReadIndex].load(std::memory_order_acquire);
        if (slot != 0) {
            restartWatch(capture);
            return slot - 1;
        }
        capture.clock.sleepMs(kRxPollMs);
        if (capture.rxThreadRunning == 0) return -1;
        // Only a started device is watched: opening or reopening one takes its own time.
        if (capture.state.captureState != kCapturing) {
            restartWatch(capture);
            continue;
        }
        if (inputDeadNow(capture)) {
            inputDead(capture);
            return -1;
        }
    }
}

void feedChain(Capture& capture, int index) {
    const std::size_t bytes = std::min(capture.bytesRecorded[index].load(), kCaptureBufferBytes);
    const std::span<const std::int16_t> samples =
        capture.bufferAudio(index).first(bytes / sizeof(std::int16_t));
    // The contact recording takes its copy of the raw samples before the reduction, and
    // its slots fire on the wall clock's second.
    if (capture.recorder != nullptr && capture.state.saveWavActive == 1) {
        capture.recorder->storeCapture(samples, capture.openedRxChannel);
        capture.recorder->triggerCheck(utcSecondNow());
    }
    ReceiveChain& chain = capture.chain;
    reduceCapture(
        capture.reduction, samples, capture.openedRxChannel, capture.state.sampleRate,
        [&chain](double x) { return chain.inputLowPass(x); },
        [&chain](double x) { chain.processSample(x); });
}

// The flag goes up before the look at wavPlaying and pauseState, so a file or pause that
// starts now either is seen here or sees the flag and waits.
void receiveBuffer(Capture& capture, int index) {
    capture.feedingChain = true;
    if (!discarding(capture.state)) feedChain(capture, index);
    capture.feedingChain = false;
}

void startRxThread(Capture& capture) {
    for (auto& slot : capture.bufferQueue) slot = 0;
    capture.queueWriteIndex = 0;
    restartWatch(capture);
    capture.rxThreadRunning = 1;
    ++capture.rxThreadsAlive;
    std::thread([&capture] {
        rxThread(capture);
        --capture.rxThreadsAlive;
    }).detach();
}

}  // namespace

Capture::~Capture() {
    stopRequested = true;
    captureEnabled = 0;
    rxThreadRunning = 0;
    while (rxThreadsAlive != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::span<std::int16_t> Capture::bufferAudio(int index) {
    return std::span(audio).subspan(static_cast<std::size_t>(index) * kCaptureBufferSamples,
                                    kCaptureBufferSamples);
}

void waitForLiveBuffer(const Capture& capture) {
    waitUntil([&capture] { return !capture.feedingChain; });
}

int openCapture(Capture& capture) {
    ModemState& state = capture.state;
    capture.captureEnabled = 1;
    capture.openedRxChannel = state.RXChannel.load();
    const int opened =
        capture.device.openDevice(state.rxDeviceId, captureChannels(capture.openedRxChannel),
                                  [&capture](CaptureEvent event, int index, std::size_t bytes) {
                                      captureCallback(capture, event, index, bytes);
                                  });
    if (opened != 0) return report(capture, opened);
    for (int index = 0; index < kCaptureBuffers; ++index) {
        if (const int r =
                report(capture, capture.device.prepareBuffer(index, capture.bufferAudio(index))))
            return r;
        if (const int r = report(capture, capture.device.addBuffer(index))) return r;
    }
    if (const int r = report(capture, capture.device.startCapture())) return r;
    capture.clock.sleepMs(kSettleAfterStartMs);
    state.captureState = kCapturing;
    return 0;
}

void captureCallback(Capture& capture, CaptureEvent event, int bufferIndex,
                     std::size_t bytesRecorded) {
    if (capture.captureEnabled == 0) return;
    if (capture.rxThreadRunning == 0) startRxThread(capture);
    switch (event) {
        case CaptureEvent::data: {
            if (bufferIndex < 0 || bufferIndex >= kCaptureBuffers) return;
            capture.bytesRecorded[bufferIndex] = bytesRecorded;
            capture.bufferQueue[capture.queueWriteIndex].store(bufferIndex + 1,
                                                               std::memory_order_release);
            capture.queueWriteIndex = (capture.queueWriteIndex + 1) % kCaptureBuffers;
            return;
        }
        case CaptureEvent::closed:
            capture.rxThreadRunning = 0;
            return;
        default:
            return;
    }
}

void rxThread(Capture& capture) {
    while (capture.rxThreadRunning == 1) {
        const int index = nextBuffer(capture);
        if (index < 0) return;
        receiveBuffer(capture, index);
        // The slot is free before the buffer goes back: the device may fill it again at
        // once, and its callback must find room.
        capture.bufferQueue[capture.queueReadIndex] = 0;
        capture.queueReadIndex = (capture.queueReadIndex + 1) % kCaptureBuffers;
        report(capture, capture.device.addBuffer(index));
    }
}

// Every step is taken even when one fails, but only the first failure is shown: a device
// that has gone away fails all 67 of them, and one box tells the operator as much.
void closeCapture(Capture& capture) {
    CaptureDevicePort& device = capture.device;
    // A device that never opened has nothing to close.
    if (!device.deviceOpen()) return;
    int firstFailure = 0;
    const auto step = [&firstFailure](int result) {
        if (firstFailure == 0) firstFailure = result;
    };
    step(device.stopCapture());
    capture.captureEnabled = 0;
    capture.clock.sleepMs(kBetweenCloseStepsMs);
    step(device.resetCapture());
    capture.clock.sleepMs(kBetweenCloseStepsMs);
    for (int index = 0; index < kCaptureBuffers; ++index) step(device.unprepareBuffer(index));
    capture.clock.sleepMs(kBetweenCloseStepsMs);
    step(device.closeDevice());
    capture.clock.sleepMs(kBetweenCloseStepsMs);
    report(capture, firstFailure);
}

void captureSupervisor(Capture& capture) {
    ModemState& state = capture.state;
    while (!capture.stopRequested) {
        if (state.captureState < kReopenThreshold) {
            capture.clock.sleepMs(kSupervisorPollMs);
            continue;
        }
        while (capture.outputReopenWanted && state.txState != kTxIdle && !capture.stopRequested)
            capture.clock.sleepMs(kSupervisorPollMs);
        if (capture.outputReopenWanted.exchange(false)) state.txSoundState = kReopenRequest;
        capture.clock.sleepMs(kBeforeCloseMs);
        closeCapture(capture);
        if (capture.stopRequested) return;
        openCapture(capture);
    }
}

}  // namespace kestrel
