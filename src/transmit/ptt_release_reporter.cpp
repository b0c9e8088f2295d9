#include "transmit/ptt_release_reporter.h"

#include <thread>

#include "transmit/transmit_notifications.h"

namespace kestrel {

std::uint32_t characterTimeMs(int baudIndex) {
    switch (baudIndex) {
        case 1:
            return 150;
        case 2:
            return 100;
        default:
            return 165;
    }
}

void PttReleaseReporter::start() {
    std::thread([this] { pttReleaseReporter(); }).detach();
}

void PttReleaseReporter::pttReleaseReporter() {
    clock.sleepMs(characterTimeMs(state.baudIndex.load()) + kPttReleaseMarginMs);
    // A new transmission that started while we waited owns push-to-talk now; dropping it
    // would cut that transmission's preamble off the air.
    if (state.txState.load() != 0) return;
    logger.post(TXM_PTTEVENT, 0);
    ptt.setPtt(false);
}

}  // namespace kestrel
