#pragma once
// The end of a sound-card transmission: once the last character queued in the sound
// output has played, tell the logger and release push-to-talk. The tone generators
// run pttReleaseReporter on a thread of its own when their last audio is produced.
#include <cstdint>

#include "modem_state.h"
#include "platform/clock_port.h"
#include "platform/logger_port.h"
#include "transmit/ptt_switch.h"

namespace kestrel {

// Seven and a half bits: 165 ms at 45.45 baud (and for any unknown index), 150 ms at
// 50 baud, 100 ms at 75 baud.
std::uint32_t characterTimeMs(int baudIndex);

// Waits one character time and a margin, then reports the end to the logger and
// releases push-to-talk, unless a new transmission has started meanwhile: loggers
// start the next over within that time, and it must keep its push-to-talk and report
// its own end.
void pttReleaseReporter(const ModemState& state, LoggerPort& logger, PttSwitch& ptt,
                        ClockPort& clock);

}  // namespace kestrel
