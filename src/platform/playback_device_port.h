#pragma once
// The sound output device: opened in the transmit format (16-bit stereo at sampleRate)
// with its two buffers prepared over the sound output's audio, written by index, and
// reset, released and closed again when it is reopened. The audio of each buffer lives
// in the core's SoundOutput; the device reports each finished buffer back through the
// event sink. The Win32 shell implements it over waveOutOpen with a function callback;
// kestrel-cli plays into memory; tests script it.
#include <cstdint>
#include <functional>
#include <span>

namespace kestrel {

// What the device reports from its driver's thread: opened, a buffer played, closed.
enum class PlaybackEvent { opened, bufferDone, closed };
using PlaybackEventSink = std::function<void(PlaybackEvent, int bufferIndex)>;

class PlaybackDevicePort {
  public:
    virtual ~PlaybackDevicePort() = default;
    // Opens device deviceId for 16-bit stereo at sampleRate; events go to sink. 0 on
    // success, else the platform's error code.
    virtual int openDevice(std::uint32_t deviceId, int sampleRate, PlaybackEventSink sink) = 0;
    virtual bool deviceOpen() = 0;
    // Makes buffer `index` (0 or 1) describe `audio`, and readies it for writing.
    virtual int prepareBuffer(int index, std::span<std::int16_t> audio) = 0;
    virtual int unprepareBuffer(int index) = 0;
    virtual int closeDevice() = 0;
    // Queues buffer `index` (0 or 1), whose audio is `stereo`: left/right pairs, which stay
    // valid until the buffer is done. Returns 0 on success, else the platform's error code.
    virtual int writeBuffer(int index, std::span<const std::int16_t> stereo) = 0;
    // Stops the output at once; queued buffers are returned as done.
    virtual int resetOutput() = 0;
};

}  // namespace kestrel
