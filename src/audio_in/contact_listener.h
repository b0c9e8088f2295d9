#pragma once
// The contact listener: while recording is armed, receives the logger's contact datagrams
// on UDP port 12060 plus the digital-interface number and books a recording for each
// contact of this Kestrel's radio.
#include <atomic>
#include <cstdint>
#include <functional>

#include "audio_in/contact_recorder.h"
#include "modem_state.h"
#include "platform/udp_port.h"
#include "platform/ui_port.h"

namespace kestrel {

inline constexpr int kContactBasePort = 12060;
inline constexpr int kListenerPollMs = 200;  // how soon a disarm ends the listener

inline constexpr const char* kStartupFailed = "WSAStartup failed N1MM Proc 45 .WAV save failed";
inline constexpr const char* kSocketFailed =
    "RX socket failed N1MM proc 55 .WAV save has failed\n"
    "Is the N1MM Logger.ini file edited as per Kestrel install instructions?";
inline constexpr const char* kReuseFailed = "setsocket error code 68";
inline constexpr const char* kBindFailed = "Bind failed N1MM Proc 83 .WAV save failed";
inline constexpr const char* kReceiveFailed = "Recvfrom failed N1MM Proc 100 .WAV save failed";
inline constexpr const char* kCloseFailed = "closesocket failed N1MM Proc 288";

struct ContactListenerLinks {
    ModemState& state;
    UdpPort& udp;
    UiPort& ui;
    ContactRecorder& recorder;
    std::function<std::int64_t()> utcSecond;  // the clock, seconds since 1970
};

// Runs until recording is disarmed or stop is set (within 200 ms), or until the socket
// cannot be set up, which disarms. Winsock failures are shown with "Kestrel Error".
void contactListener(const ContactListenerLinks& links, const RecordingSetup& setup,
                     const std::atomic<bool>& stop);

}  // namespace kestrel
