#pragma once
// The transmit sound device: a wave output opened with a function callback, two headers
// over the sound output's audio.
#include <array>
#include <atomic>

#include "platform/playback_device_port.h"
#include "wave_headers.h"

namespace kestrel::win32 {

class Win32PlaybackDevice final : public PlaybackDevicePort {
  public:
    int openDevice(std::uint32_t deviceId, int sampleRate, PlaybackEventSink sink) override;
    bool deviceOpen() override { return output_ != nullptr; }
    int prepareBuffer(int index, std::span<std::int16_t> audio) override;
    int unprepareBuffer(int index) override;
    int closeDevice() override;
    int writeBuffer(int index, std::span<const std::int16_t> stereo) override;
    int resetOutput() override;

  private:
    static void CALLBACK driverCallback(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR first,
                                        DWORD_PTR);

    std::atomic<HWAVEOUT> output_{nullptr};
    std::array<WAVEHDR, 2> headers_{};
    PlaybackEventSink sink_;
};

}  // namespace kestrel::win32
