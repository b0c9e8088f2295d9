#pragma once
// The transmit sound device's life: opened at start-up in the sound modes, and closed and
// opened again by the supervisor whenever txSoundState asks for it (a changed device or
// speed, a write that failed, a stalled sound card). A reopen ends any transmission.
#include <atomic>
#include <cstdint>
#include <functional>

#include "modem_state.h"
#include "platform/clock_port.h"
#include "platform/playback_device_port.h"
#include "platform/ui_port.h"
#include "transmit/sound_output.h"

namespace kestrel {

inline constexpr const char* kPlaybackOpenFailed =
    "TX sound card unavailable or lead unplugged\nTransmit will not work";
inline constexpr const char* kPlaybackPrepareFailed = "TXOpen_close 57 waveOutPrepareHeader error";
inline constexpr const char* kPlaybackResetFailed = "TXOpen_close 86 waveOutReset error";
inline constexpr const char* kPlaybackUnprepareFailed =
    "TXOpen_close: 94 waveOutUnprepareHeader error";
inline constexpr const char* kPlaybackCloseFailed = "TXOpen_close: 101 waveOutClose error";
inline constexpr std::uint32_t kSupervisorPollMs = 101;

// txSoundState: 0 unavailable or being reopened, 1 open and ready, 2 or more reopen.
inline constexpr int kSoundUnavailable = 0;
inline constexpr int kSoundReady = 1;
inline constexpr int kSoundReopen = 2;

struct PlaybackDevice {
    ModemState& state;
    SoundOutput& output;
    PlaybackDevicePort& device;
    UiPort& ui;
    ClockPort& clock;
    // Ends a transmission the way Escape does: transmitter unkeyed, text dropped, the logger
    // told. A reopen that only cleared txState would leave the transmitter keyed and the
    // logger waiting for the end of a transmission that never comes.
    std::function<void()> endTransmission;
    std::atomic<bool> stopRequested{false};  // ends the supervisor: tests, and the program's end
};

// Opens deviceId at the current sampleRate, its events going to the sound output, and
// prepares both buffers. txSoundState is 1 afterwards, or 0 when the device did not open.
void openPlayback(PlaybackDevice& playback, std::uint32_t deviceId);

// Resets, releases both buffers and closes the device, with a message for each step that
// fails.
void closePlayback(PlaybackDevice& playback);

// The supervisor thread: reopens txDeviceId on request; ends when a request comes while
// the transmit mode is FSK.
void playbackSupervisor(PlaybackDevice& playback);

}  // namespace kestrel
