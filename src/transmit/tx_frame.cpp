#include "transmit/tx_frame.h"

#include <algorithm>
#include <cmath>

#include "platform/logger_codes.h"
#include "text/captions.h"

namespace kestrel {

std::array<FrameSlot, kFrameSlots> frameSlots(std::uint8_t code) {
    std::array<FrameSlot, kFrameSlots> slots{};
    slots[0] = {0, kElementSamples, true};
    for (int bit = 0; bit < 5; ++bit)
        slots[bit + 1] = {(bit + 1) * kElementSamples, kElementSamples, ((code >> bit) & 1) != 0};
    slots[6] = {6 * kElementSamples, kStopSamples, false};
    return slots;
}

double effectiveToneOffset(ModemState& state) {
    if (state.netOn.load() == 0) state.txToneOffset = 0.0;
    return state.txToneOffset.load();
}

void generateSilentReceive(TxLinks& links, TxFrame& frame) {
    frame.fill(0);
    links.ptt.setPtt(false);
    links.logger.post(TXM_PTTEVENT, 0);
}

int txStateForFrame(TxLinks& links, TxFrame& frame, const char* badStateText) {
    const int txState = links.state.txState.load();
    if (txState < kTxIdle || txState > kTxClosing) {
        links.ui.messageBox(badStateText, kErrorCaption, kMbTopMost);
        return kFrameDealtWith;
    }
    if (txState == kTxIdle) {
        generateSilentReceive(links, frame);
        return kFrameDealtWith;
    }
    return txState;
}

std::int16_t toSample(double value) {
    const double limited = std::clamp(std::trunc(value), -32768.0, 32767.0);
    return static_cast<std::int16_t>(limited);
}

}  // namespace kestrel
