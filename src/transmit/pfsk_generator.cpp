#include "transmit/pfsk_generator.h"

#include <cmath>
#include <numbers>

namespace kestrel {
namespace {
constexpr double kTwoPi = 2.0 * std::numbers::pi;
}

void PfskGenerator::generatePfsk(TxFrame& frame) {
    const int txState = links.state.txState.load();
    switch (txState) {
        case kTxIdle:
            generateSilentReceive(links, frame);
            return;
        case kTxRequested:
            links.ptt.setPtt(true);
            tone(frame, 0, kTxFrameSamples);
            links.state.txState = kTxSecondPreamble;
            pfskStarted = 0;
            return;
        case kTxSecondPreamble:
            frame.fill(0);
            links.state.txState = kTxSending;
            return;
        case kTxSending:
        case kTxEndRequested:
            character(frame);
            return;
        case kTxClosing:
            frame.fill(0);
            links.startPttReleaseReporter();
            links.state.txState = kTxIdle;
            return;
        default:
            links.ui.messageBox("TXpfsk switch default: error", "", kMbTopMost);
            return;
    }
}

void PfskGenerator::tone(TxFrame& frame, int begin, int count) {
    const double increment = kTwoPi * kPfskToneHz / links.state.sampleRate.load();
    pfskPhase = 0.0;
    for (int n = 0; n < count; ++n) {
        frame[begin + n] = toSample(kPfskAmplitude * std::sin(pfskPhase));
        pfskPhase += increment;
        if (pfskPhase > kTwoPi) pfskPhase -= kTwoPi;
    }
}

void PfskGenerator::character(TxFrame& frame) {
    std::uint8_t code = kBaudotLtrs;  // the first frame is LTRS, not taken from the buffer
    if (pfskStarted == 0)
        pfskStarted = 1;
    else
        code = links.buffer.nextCode();
    frame.fill(0);
    for (const FrameSlot& slot : frameSlots(code))
        if (slot.space) tone(frame, slot.begin, slot.length);
}

}  // namespace kestrel
