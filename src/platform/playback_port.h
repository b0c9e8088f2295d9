#pragma once
// The sound output device as the transmit sound output drives it: two buffers of one
// character frame each, written by index. The audio of each lives in the core's
// SoundOutput; the device reports each finished buffer back through
// SoundOutput::playbackCallback.
#include <cstdint>
#include <span>

namespace kestrel {

class PlaybackPort {
  public:
    virtual ~PlaybackPort() = default;
    // Queues buffer `index` (0 or 1), whose audio is `stereo`: left/right pairs, which stay
    // valid until the buffer is done. Returns 0 on success, else the platform's error code.
    virtual int writeBuffer(int index, std::span<const std::int16_t> stereo) = 0;
    // Stops the output at once; queued buffers are returned as done.
    virtual int resetOutput() = 0;
};

}  // namespace kestrel
