#pragma once
// The end of a sound-card transmission. The closing frame is made when the last character
// starts to play, so the report waits one character time plus 35 ms, until that character
// has left the sound card, then tells the logger and releases push-to-talk.
#include <cstdint>

#include "modem_state.h"
#include "platform/clock_port.h"
#include "platform/logger_port.h"
#include "transmit/ptt_switch.h"

namespace kestrel {

inline constexpr std::uint32_t kPttReleaseMarginMs = 35;

// 7.5 element times: 165, 150 or 100 ms for baudIndex 0, 1, 2 (165 for anything else).
std::uint32_t characterTimeMs(int baudIndex);

struct PttReleaseReporter {
    PttReleaseReporter(ModemState& state, LoggerPort& logger, PttSwitch& ptt, ClockPort& clock)
        : state(state), logger(logger), ptt(ptt), clock(clock) {}

    // Starts pttReleaseReporter on a thread of its own.
    void start();
    // The thread's body: wait, report TXM_PTTEVENT 0, release push-to-talk.
    void pttReleaseReporter();

    ModemState& state;
    LoggerPort& logger;
    PttSwitch& ptt;
    ClockPort& clock;
};

}  // namespace kestrel
