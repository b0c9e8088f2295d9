#include "link/ptt_release_reporter.h"

#include "platform/logger_codes.h"

namespace kestrel {
namespace {

// The sound output still holds the last character when the generator finishes; this
// margin covers its final buffer.
constexpr std::uint32_t kPlayOutMarginMs = 35;

}  // namespace

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

void pttReleaseReporter(const ModemState& state, LoggerPort& logger, PttSwitch& ptt,
                        ClockPort& clock) {
    clock.sleepMs(characterTimeMs(state.baudIndex) + kPlayOutMarginMs);
    if (state.txState != kTxIdle) return;
    logger.post(TXM_PTTEVENT, 0);
    ptt.setPtt(false);
}

}  // namespace kestrel
