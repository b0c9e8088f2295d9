#include "transmit/tx_window.h"

#include "platform/logger_codes.h"

namespace kestrel {
namespace {

std::uint8_t upper(std::uint8_t c) {
    return c >= 'a' && c <= 'z' ? static_cast<std::uint8_t>(c - 0x20) : c;
}

}  // namespace

void TxWindow::handleCharacter(std::uint64_t firstParameter) {
    // The message carries a UTF-16 unit: "ě" (0x011B) is a letter, never Escape, so
    // anything outside ASCII is ignored whole, not cut down to its low byte.
    const auto unit = firstParameter & 0xFFFF;
    if (unit > 0x7F) return;
    const auto code = static_cast<std::uint8_t>(unit);
    // Escape stops the transmitter even inside a brace command: an unclosed brace in the
    // logger's text must not swallow the order to receive at once.
    if (code == kEscape) {
        braceLength = 0;
        abort();
        return;
    }
    if (braceLength > 0)
        braceCharacter(code);
    else
        plainCharacter(code);
}

void TxWindow::plainCharacter(std::uint8_t code) {
    switch (code) {
        case 0:
            return;
        case '\b':
            buffer.deleteLast();
            return;
        case '\r':
            add('\r');
            add('\n');
            return;
        case kCtrlT:
            startOrStop();
            return;
        case kCtrlV:
            hooks.startTestTextFeeder();
            return;
        case '{':
            braceLength = 1;
            braceText.fill(0);  // an earlier command's letters must not act again
            return;
        default:
            add(upper(code));
            return;
    }
}

void TxWindow::braceCharacter(std::uint8_t code) {
    if (code == '{') return;
    if (code != '}' && braceLength - 1 < kBraceTextMax) {
        braceText[braceLength - 1] = static_cast<char>(upper(code));
        ++braceLength;
        return;
    }
    braceCommand();  // "}" or a tenth character ends it, unstored
    braceLength = 0;
}

void TxWindow::braceCommand() {
    switch (braceText[0]) {
        case 'C':
            if (braceText[1] == 'R') add('\n');  // {CL} is consumed without effect
            return;
        case 'R':
            hooks.postCharacter(kCtrlT);
            return;
        case 'T':
            if (state.txState.load() == kTxIdle) hooks.postCharacter(kCtrlT);
            return;
        default:
            return;
    }
}

void TxWindow::startOrStop() {
    if (state.txState.load() == kTxIdle)
        start();
    else
        state.txState = kTxEndRequested;
}

void TxWindow::start() {
    // The offset is fixed for the whole transmission.
    const bool followTuning = state.netOn.load() == 1 && state.afcOff.load() == 0;
    state.txToneOffset = followTuning ? state.averageOffset.load() : 0.0;
    state.txState = kTxRequested;
    const int txMode = state.TXmode.load();
    if (txMode == kFskMode) hooks.startFskThread();
    if (txMode == kTinyFskMode) hooks.startTinyTxThread();
    if (soundCardMode(txMode)) sound.startTransmission();  // its generator switches PTT on
    logger.post(TXM_PTTEVENT, 1);
}

// The playback supervisor may end a transmission too: whichever comes first ends it.
void TxWindow::abort() {
    if (state.txState.exchange(kTxIdle) == kTxIdle) return;  // the buffer keeps its text
    ptt.setPtt(false);
    buffer.clear();
    if (soundCardMode(state.TXmode.load())) sound.stopPlayback();
    logger.post(TXM_PTTEVENT, 0);
}

}  // namespace kestrel
