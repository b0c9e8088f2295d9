#pragma once
// The transmit sound device's life: opened at start-up in the sound modes, and closed and
// opened again by the supervisor whenever txSoundState asks for it (a changed device or
// speed, a write that failed, a stalled sound card). A reopen ends any transmission under
// way; one started during the reopen is primed on the new device. A watchdog beside it
// ends a sound-card transmission whose output stops playing.
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
inline constexpr const char* kPlaybackStalledMessage =
    "TX sound card stopped playing\nTransmission ended";
inline constexpr const char* kPlaybackStalledStatus = "TX ended: sound card stalled";
inline constexpr std::uint32_t kSupervisorPollMs = 101;
// How long a transmission may go without a finished buffer: a frame lasts at most 165 ms,
// so this is a dozen missed frames; once its end has been asked for (the logger's RX), the
// operator must not wait that long for the transmitter to drop.
inline constexpr std::uint32_t kStalledTransmissionMs = 2000;
inline constexpr std::uint32_t kStalledEndingMs = 500;
// A transmission waiting for the device to be reopened: a busy machine can take seconds
// over a reopen, and one that takes longer has failed.
inline constexpr std::uint32_t kStalledReopenMs = 10000;

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
    // Shows kPlaybackStalledMessage without holding up the caller: the supervisor must go
    // on watching and reopening while the operator reads it.
    std::function<void()> tellStall;
    std::atomic<bool> stopRequested{false};  // ends the supervisor: tests, and the program's end
};

// Opens deviceId at the current sampleRate, its events going to the sound output, and
// prepares both buffers. txSoundState is 1 afterwards, or 0 when the device did not open.
// A transmission under way is left alone: whoever reopens ends it first.
void openPlayback(PlaybackDevice& playback, std::uint32_t deviceId);

// Resets, releases both buffers and closes the device, with a message for each step that
// fails.
void closePlayback(PlaybackDevice& playback);

// Ends a sound-card transmission whose output has made no progress for
// kStalledTransmissionMs (kStalledEndingMs once its end was asked for, kStalledReopenMs
// while the device is not ready) as Escape ends it, says why in the status bar and a
// message, and asks for the device to be reopened.
void endStalledTransmission(PlaybackDevice& playback);

// The supervisor thread: reopens txDeviceId on request; in the FSK mode, which does
// without the sound output, a request is dropped. Ends on stopRequested.
void playbackSupervisor(PlaybackDevice& playback);

// The watchdog thread: endStalledTransmission every kSupervisorPollMs until stopRequested.
// It calls no sound driver, so a driver call that hangs the writer or the supervisor (a
// starved sound system can hold one for seconds) cannot keep it from ending a transmission.
void transmissionWatchdog(PlaybackDevice& playback);

}  // namespace kestrel
