#pragma once
// The sound input device: a wave input opened with a function callback, a header for each
// capture buffer over the capture's audio area. The driver's thread is raised as a light
// audio thread at its first buffer.
#include <array>
#include <atomic>

#include "audio_in/capture.h"
#include "audio_thread.h"
#include "platform/capture_device_port.h"
#include "wave_headers.h"

namespace kestrel::win32 {

class Win32CaptureDevice final : public CaptureDevicePort {
  public:
    Win32CaptureDevice() { prepareAudioThreads(); }
    int openDevice(std::uint32_t deviceId, int channels, CaptureEventSink sink) override;
    bool deviceOpen() override { return input_ != nullptr; }
    int prepareBuffer(int index, std::span<std::int16_t> audio) override;
    int addBuffer(int index) override;
    int startCapture() override;
    int stopCapture() override;
    int resetCapture() override;
    int unprepareBuffer(int index) override;
    int closeDevice() override;
    std::string errorText(int code) override;
    std::int64_t recordedPosition() override;

  private:
    static void CALLBACK driverCallback(HWAVEIN, UINT message, DWORD_PTR instance, DWORD_PTR first,
                                        DWORD_PTR);

    std::atomic<HWAVEIN> input_{nullptr};
    std::array<WAVEHDR, kCaptureBuffers> headers_{};
    CaptureEventSink sink_;
};

}  // namespace kestrel::win32
