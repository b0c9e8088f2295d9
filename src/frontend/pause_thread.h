#pragma once
// The spectrum pause: the last minute of received audio decoded once more, then the
// display held for ten seconds. A right click (pauseState back to 0) ends it at any point.
#include <cstdint>
#include <functional>
#include <string_view>

#include "frontend/pause_history.h"
#include "modem_state.h"
#include "platform/clock_port.h"

namespace kestrel {

inline constexpr std::string_view kPauseHoldText =
    "\n10 Second pause or right click on Spectrum Display\n";
inline constexpr int kPauseHoldPolls = 1000;
inline constexpr std::uint32_t kPauseHoldPollMs = 10;

// Where the replayed samples go (processSample) and the receive text, a character at a
// time.
using ReplaySampleSink = std::function<void(double)>;
using ReceiveTextSink = std::function<void(char16_t)>;

// Runs on a thread of its own, started by a left click that set pauseState to 1. While
// pauseState is not 0 live audio is dropped and nothing new enters the history, so the
// replay sees exactly what was there at the click.
void pauseThread(ModemState& state, const PauseHistory& history,
                 const ReplaySampleSink& processSample, const ReceiveTextSink& receiveText,
                 ClockPort& clock);

}  // namespace kestrel
