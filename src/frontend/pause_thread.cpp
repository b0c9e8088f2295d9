#include "frontend/pause_thread.h"

namespace kestrel {
namespace {

bool ended(const ModemState& state) {
    return state.pauseState.load() == 0;
}

}  // namespace

void pauseThread(ModemState& state, const PauseHistory& history,
                 const ReplaySampleSink& processSample, const ReceiveTextSink& receiveText,
                 ClockPort& clock) {
    int requested = 1;
    state.pauseState.compare_exchange_strong(requested, 2);

    for (int k = 0; k < PauseHistory::kReplayLength && !ended(state); ++k) {
        processSample(history.replaySample(k));
    }
    for (const char c : kPauseHoldText) {
        if (ended(state)) break;
        receiveText(static_cast<char16_t>(c));
    }
    for (int poll = 0; poll < kPauseHoldPolls && !ended(state); ++poll) {
        clock.sleepMs(kPauseHoldPollMs);
    }
    state.pauseState.store(0);
}

}  // namespace kestrel
