#include "win32_playback_device.h"

namespace kestrel::win32 {

int Win32PlaybackDevice::openDevice(std::uint32_t deviceId, int sampleRate,
                                    PlaybackEventSink sink) {
    sink_ = std::move(sink);
    WAVEFORMATEX format = pcm16Format(2, sampleRate);
    HWAVEOUT output = nullptr;
    const MMRESULT result =
        waveOutOpen(&output, deviceId, &format, reinterpret_cast<DWORD_PTR>(&driverCallback),
                    reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR) return static_cast<int>(result);
    output_ = output;
    return 0;
}

// Each header describes one frame of the sound output's audio; before its first use it
// counts as played.
int Win32PlaybackDevice::prepareBuffer(int index, std::span<std::int16_t> audio) {
    WAVEHDR& header = headers_[index];
    header = headerOver(audio, WHDR_DONE);
    return static_cast<int>(waveOutPrepareHeader(output_, &header, sizeof header));
}

int Win32PlaybackDevice::unprepareBuffer(int index) {
    return static_cast<int>(waveOutUnprepareHeader(output_, &headers_[index], sizeof(WAVEHDR)));
}

int Win32PlaybackDevice::closeDevice() {
    const MMRESULT result = waveOutClose(output_);
    output_ = nullptr;
    return static_cast<int>(result);
}

// The sound output fills the audio the header already points at.
int Win32PlaybackDevice::writeBuffer(int index, std::span<const std::int16_t>) {
    return static_cast<int>(waveOutWrite(output_, &headers_[index], sizeof(WAVEHDR)));
}

int Win32PlaybackDevice::resetOutput() {
    return static_cast<int>(waveOutReset(output_));
}

// The driver's thread: only hands the event on.
void CALLBACK Win32PlaybackDevice::driverCallback(HWAVEOUT, UINT message, DWORD_PTR instance,
                                                  DWORD_PTR first, DWORD_PTR) {
    auto* device = reinterpret_cast<Win32PlaybackDevice*>(instance);
    if (!device->sink_) return;
    switch (message) {
        case WOM_OPEN:
            device->sink_(PlaybackEvent::opened, -1);
            return;
        case WOM_DONE:
            device->sink_(PlaybackEvent::bufferDone, headerIndex(device->headers_, first));
            return;
        case WOM_CLOSE:
            device->sink_(PlaybackEvent::closed, -1);
            return;
        default:
            return;
    }
}

}  // namespace kestrel::win32
