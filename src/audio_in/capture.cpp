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

bool discarding(const ModemState& state) {
    return state.wavPlaying == 1 || state.pauseState >= 1;
}

}  // namespace

// Shows the platform's text for a failed call; passes the result on.
int Capture::report(int result) {
    if (result != 0) ui_.messageBox(device_.errorText(result), kErrorCaption, kMbOk | kMbTopMost);
    return result;
}

void Capture::restartWatch() {
    lastBufferAt_ = lastMoveAt_ = clock_.counter();
}

// No buffer for kCaptureSilentMs: dead unless the device's position has moved within as
// long, and dead all the same after kCaptureLateMs.
bool Capture::inputDeadNow() {
    const double silent = millisecondsSince(clock_, lastBufferAt_);
    if (silent < kCaptureSilentMs) return false;
    const std::int64_t position = device_.recordedPosition();
    if (position >= 0 && position != lastPosition_) {
        lastPosition_ = position;
        lastMoveAt_ = clock_.counter();
    }
    return millisecondsSince(clock_, lastMoveAt_) >= kCaptureSilentMs || silent >= kCaptureLateMs;
}

// The input delivered nothing for too long: ask for the device and the sound output to
// be reopened, and end this thread; the first callback after the reopen starts a new one.
void Capture::inputDead() {
    outputReopenWanted_ = true;
    state_.captureState = kReopenRequest;
    captureEnabled_ = 0;
    queueReadIndex_ = 0;
    rxThreadRunning_ = 0;
}

// Waits for the next filled buffer; -1 when the thread is to end.
int Capture::nextBuffer() {
    for (;;) {
        const int slot = bufferQueue_[queueReadIndex_].load(std::memory_order_acquire);
        if (slot != 0) {
            restartWatch();
            return slot - 1;
        }
        clock_.sleepMs(kRxPollMs);
        if (rxThreadRunning_ == 0) return -1;
        // Only a started device is watched: opening or reopening one takes its own time.
        if (state_.captureState != kCapturing) {
            restartWatch();
            continue;
        }
        if (inputDeadNow()) {
            inputDead();
            return -1;
        }
    }
}

void Capture::feedChain(int index) {
    const std::size_t bytes = std::min(bytesRecorded_[index].load(), kCaptureBufferBytes);
    const std::span<const std::int16_t> samples =
        bufferAudio(index).first(bytes / sizeof(std::int16_t));
    // The contact recording takes its copy of the raw samples before the reduction, and
    // its slots fire on the wall clock's second.
    if (recorder_ != nullptr && state_.saveWavActive == 1) {
        recorder_->storeCapture(samples, openedRxChannel_);
        recorder_->triggerCheck(utcSecondNow());
    }
    ReceiveChain& chain = chain_;
    reduceCapture(
        reduction_, samples, openedRxChannel_, state_.sampleRate,
        [&chain](double x) { return chain.inputLowPass(x); },
        [&chain](double x) { chain.processSample(x); });
}

// The flag goes up before the look at wavPlaying and pauseState, so a file or pause that
// starts now either is seen here or sees the flag and waits.
void Capture::receiveBuffer(int index) {
    feedingChain_ = true;
    if (!discarding(state_)) feedChain(index);
    feedingChain_ = false;
}

void Capture::startRxThread() {
    for (auto& slot : bufferQueue_) slot = 0;
    queueWriteIndex_ = 0;
    restartWatch();
    rxThreadRunning_ = 1;
    ++rxThreadsAlive_;
    std::thread([this] {
        rxThread();
        --rxThreadsAlive_;
    }).detach();
}

Capture::~Capture() {
    stopRequested_ = true;
    captureEnabled_ = 0;
    rxThreadRunning_ = 0;
    while (rxThreadsAlive_ != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::span<std::int16_t> Capture::bufferAudio(int index) {
    return std::span(audio_).subspan(static_cast<std::size_t>(index) * kCaptureBufferSamples,
                                     kCaptureBufferSamples);
}

void Capture::waitForLiveBuffer() const {
    waitUntil([this] { return !feedingChain_; });
}

int Capture::open() {
    captureEnabled_ = 1;
    openedRxChannel_ = state_.RXChannel.load();
    const int opened = device_.openDevice(state_.rxDeviceId, captureChannels(openedRxChannel_),
                                          [this](CaptureEvent event, int index, std::size_t bytes) {
                                              callback(event, index, bytes);
                                          });
    if (opened != 0) return report(opened);
    for (int index = 0; index < kCaptureBuffers; ++index) {
        if (const int r = report(device_.prepareBuffer(index, bufferAudio(index)))) return r;
        if (const int r = report(device_.addBuffer(index))) return r;
    }
    if (const int r = report(device_.startCapture())) return r;
    clock_.sleepMs(kSettleAfterStartMs);
    state_.captureState = kCapturing;
    return 0;
}

void Capture::callback(CaptureEvent event, int bufferIndex, std::size_t bytesRecorded) {
    if (captureEnabled_ == 0) return;
    if (rxThreadRunning_ == 0) startRxThread();
    switch (event) {
        case CaptureEvent::data: {
            if (bufferIndex < 0 || bufferIndex >= kCaptureBuffers) return;
            bytesRecorded_[bufferIndex] = bytesRecorded;
            bufferQueue_[queueWriteIndex_].store(bufferIndex + 1, std::memory_order_release);
            queueWriteIndex_ = (queueWriteIndex_ + 1) % kCaptureBuffers;
            return;
        }
        case CaptureEvent::closed:
            rxThreadRunning_ = 0;
            return;
        default:
            return;
    }
}

void Capture::rxThread() {
    while (rxThreadRunning_ == 1) {
        const int index = nextBuffer();
        if (index < 0) return;
        receiveBuffer(index);
        // The slot is free before the buffer goes back: the device may fill it again at
        // once, and its callback must find room.
        bufferQueue_[queueReadIndex_] = 0;
        queueReadIndex_ = (queueReadIndex_ + 1) % kCaptureBuffers;
        report(device_.addBuffer(index));
    }
}

// Every step is taken even when one fails, but only the first failure is shown: a device
// that has gone away fails all 67 of them, and one box tells the operator as much.
void Capture::close() {
    // A device that never opened has nothing to close.
    if (!device_.deviceOpen()) return;
    int firstFailure = 0;
    const auto step = [&firstFailure](int result) {
        if (firstFailure == 0) firstFailure = result;
    };
    step(device_.stopCapture());
    captureEnabled_ = 0;
    clock_.sleepMs(kBetweenCloseStepsMs);
    step(device_.resetCapture());
    clock_.sleepMs(kBetweenCloseStepsMs);
    for (int index = 0; index < kCaptureBuffers; ++index) step(device_.unprepareBuffer(index));
    clock_.sleepMs(kBetweenCloseStepsMs);
    step(device_.closeDevice());
    clock_.sleepMs(kBetweenCloseStepsMs);
    report(firstFailure);
}

void Capture::supervise() {
    while (!stopRequested_) {
        if (state_.captureState < kReopenThreshold) {
            clock_.sleepMs(kSupervisorPollMs);
            continue;
        }
        while (outputReopenWanted_ && state_.txState != kTxIdle && !stopRequested_)
            clock_.sleepMs(kSupervisorPollMs);
        if (outputReopenWanted_.exchange(false)) state_.txSoundState = kReopenRequest;
        clock_.sleepMs(kBeforeCloseMs);
        close();
        if (stopRequested_) return;
        open();
    }
}

}  // namespace kestrel
