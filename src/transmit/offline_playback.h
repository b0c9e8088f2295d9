#pragma once
// A sound device that plays into memory as fast as the transmitter fills it: what
// kestrel-cli encode writes to a file, and what the signal tests listen to.
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "platform/playback_device_port.h"
#include "transmit/sound_output.h"

namespace kestrel {

class OfflinePlayback : public PlaybackDevicePort {
  public:
    // Always open; the buffers are the sound output's own.
    int openDevice(std::uint32_t, int, PlaybackEventSink) override { return 0; }
    bool deviceOpen() override { return true; }
    int prepareBuffer(int, std::span<std::int16_t>) override { return 0; }
    int unprepareBuffer(int) override { return 0; }
    int closeDevice() override { return 0; }
    int writeBuffer(int index, std::span<const std::int16_t> stereo) override;
    int resetOutput() override;

    // Plays the oldest queued buffer (appending its audio to `played`) or returns one that
    // a reset cut off, then reports it done to `output`, whose writer refills it. Returns
    // false when no buffer is queued.
    bool playNext(SoundOutput& output);
    // Plays until the output falls silent.
    void playAll(SoundOutput& output) {
        while (playNext(output)) {
        }
    }

    std::vector<std::int16_t> played;  // left/right pairs
    int writes = 0;

  private:
    struct Queued {
        int index;
        std::vector<std::int16_t> audio;
        bool cutOff;
    };
    std::deque<Queued> queue_;
};

}  // namespace kestrel
