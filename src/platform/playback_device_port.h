#pragma once
// The sound output device as a whole: opened in the transmit format (16-bit stereo at
// sampleRate) with its two buffers prepared over the sound output's audio, and reset,
// released and closed again when it is reopened. The Win32 shell implements it over
// waveOutOpen with a function callback; tests script it.
#include <cstdint>
#include <functional>
#include <span>

#include "platform/playback_port.h"

namespace kestrel {

// What the device reports from its driver's thread: opened, a buffer played, closed.
enum class PlaybackEvent { opened, bufferDone, closed };
using PlaybackEventSink = std::function<void(PlaybackEvent, int bufferIndex)>;

class PlaybackDevicePort : public PlaybackPort {
  public:
    // Opens device deviceId for 16-bit stereo at sampleRate; events go to sink. 0 on
    // success, else the platform's error code.
    virtual int openDevice(std::uint32_t deviceId, int sampleRate, PlaybackEventSink sink) = 0;
    virtual bool deviceOpen() = 0;
    // Makes buffer `index` (0 or 1) describe `audio`, and readies it for writing.
    virtual int prepareBuffer(int index, std::span<std::int16_t> audio) = 0;
    virtual int unprepareBuffer(int index) = 0;
    virtual int closeDevice() = 0;
};

}  // namespace kestrel
