#pragma once
// The sound input device as a whole: opened for 16-bit capture at 48000 samples/s with
// one or two channels, its buffers prepared over the capture's audio area and queued,
// started, and stopped, reset, released and closed again when it is reopened. Every call
// returns 0 or the platform's result code, whose text errorText gives. The Win32 shell
// implements it over waveInOpen with a function callback; tests script it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace kestrel {

// What the device reports from its driver's thread: opened, a buffer filled, closed.
enum class CaptureEvent { opened, data, closed };
using CaptureEventSink =
    std::function<void(CaptureEvent, int bufferIndex, std::size_t bytesRecorded)>;

class CaptureDevicePort {
  public:
    virtual ~CaptureDevicePort() = default;
    // Opens deviceId for 16-bit samples at 48000 samples/s with `channels` interleaved
    // channels; events go to sink.
    virtual int openDevice(std::uint32_t deviceId, int channels, CaptureEventSink sink) = 0;
    virtual bool deviceOpen() = 0;
    // Makes buffer `index` describe `audio` (nothing recorded yet) and readies it.
    virtual int prepareBuffer(int index, std::span<std::int16_t> audio) = 0;
    // Hands buffer `index` to the device to fill.
    virtual int addBuffer(int index) = 0;
    virtual int startCapture() = 0;
    virtual int stopCapture() = 0;
    // Stops and returns every queued buffer.
    virtual int resetCapture() = 0;
    virtual int unprepareBuffer(int index) = 0;
    virtual int closeDevice() = 0;
    // The platform's own text for a result code.
    virtual std::string errorText(int code) = 0;
    // How much the device has recorded since it started, in any unit that grows while it
    // records; -1 where the device cannot tell. It tells a late input from a dead one.
    virtual std::int64_t recordedPosition() { return -1; }
};

}  // namespace kestrel
