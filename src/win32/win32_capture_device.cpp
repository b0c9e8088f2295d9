#include "win32_capture_device.h"

#include "text.h"

namespace kestrel::win32 {
namespace {

constexpr int kCaptureRate = 48000;
constexpr DWORD_PTR kHeaderUserWord = 67;

}  // namespace

int Win32CaptureDevice::openDevice(std::uint32_t deviceId, int channels, CaptureEventSink sink) {
    sink_ = std::move(sink);
    WAVEFORMATEX format = pcm16Format(channels, kCaptureRate);
    HWAVEIN input = nullptr;
    const MMRESULT result =
        waveInOpen(&input, deviceId, &format, reinterpret_cast<DWORD_PTR>(&driverCallback),
                   reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR) return static_cast<int>(result);
    input_ = input;
    return 0;
}

int Win32CaptureDevice::prepareBuffer(int index, std::span<std::int16_t> audio) {
    WAVEHDR& header = headers_[index];
    header = headerOver(audio, 0, kHeaderUserWord);
    return static_cast<int>(waveInPrepareHeader(input_, &header, sizeof header));
}

int Win32CaptureDevice::addBuffer(int index) {
    return static_cast<int>(waveInAddBuffer(input_, &headers_[index], sizeof(WAVEHDR)));
}

int Win32CaptureDevice::startCapture() {
    return static_cast<int>(waveInStart(input_));
}

int Win32CaptureDevice::stopCapture() {
    return static_cast<int>(waveInStop(input_));
}

int Win32CaptureDevice::resetCapture() {
    return static_cast<int>(waveInReset(input_));
}

int Win32CaptureDevice::unprepareBuffer(int index) {
    return static_cast<int>(waveInUnprepareHeader(input_, &headers_[index], sizeof(WAVEHDR)));
}

int Win32CaptureDevice::closeDevice() {
    const MMRESULT result = waveInClose(input_);
    input_ = nullptr;
    return static_cast<int>(result);
}

std::string Win32CaptureDevice::errorText(int code) {
    wchar_t text[MAXERRORLENGTH] = {};
    if (waveInGetErrorTextW(static_cast<MMRESULT>(code), text, MAXERRORLENGTH) != MMSYSERR_NOERROR)
        return "Sound input error " + std::to_string(code);
    return narrow(text);
}

std::int64_t Win32CaptureDevice::recordedPosition() {
    MMTIME time{};
    time.wType = TIME_BYTES;
    if (waveInGetPosition(input_, &time, sizeof time) != MMSYSERR_NOERROR) return -1;
    switch (time.wType) {
        case TIME_BYTES:
            return time.u.cb;
        case TIME_SAMPLES:
            return time.u.sample;
        default:
            return -1;
    }
}

// The driver's thread: only hands the event on.
void CALLBACK Win32CaptureDevice::driverCallback(HWAVEIN, UINT message, DWORD_PTR instance,
                                                 DWORD_PTR first, DWORD_PTR) {
    auto* device = reinterpret_cast<Win32CaptureDevice*>(instance);
    if (!device->sink_) return;
    switch (message) {
        case WIM_OPEN:
            device->sink_(CaptureEvent::opened, -1, 0);
            return;
        case WIM_DATA: {
            // Raised once per driver thread: a busy machine must not keep the buffers back.
            thread_local const bool raised = raiseAudioThread();
            (void)raised;
            const auto* header = reinterpret_cast<const WAVEHDR*>(first);
            device->sink_(CaptureEvent::data, headerIndex(device->headers_, first),
                          header->dwBytesRecorded);
            return;
        }
        case WIM_CLOSE:
            device->sink_(CaptureEvent::closed, -1, 0);
            return;
        default:
            return;
    }
}

}  // namespace kestrel::win32
