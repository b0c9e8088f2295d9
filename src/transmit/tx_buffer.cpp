#include "transmit/tx_buffer.h"

#include "busy_wait.h"
#include "platform/logger_codes.h"

namespace kestrel {
namespace {

int nextSlot(int slot) {
    return slot + 1 == kTxRingSize ? 0 : slot + 1;
}
int previousSlot(int slot) {
    return slot == 0 ? kTxRingSize - 1 : slot - 1;
}

// Holds txBusy for one command. Callers on other threads wait.
class BusyFlag {
  public:
    explicit BusyFlag(std::atomic<int>& flag) : flag_(flag) { takeBusyFlag(flag_); }
    ~BusyFlag() { release(); }
    void release() {
        if (held_) flag_.store(0, std::memory_order_release);
        held_ = false;
    }

  private:
    std::atomic<int>& flag_;
    bool held_ = true;
};

}  // namespace

std::uint8_t TxBuffer::txBuffer(std::uint8_t character, std::uint8_t command) {
    BusyFlag busy(txBusy);
    switch (command) {
        case TXB_ADD:
            if (add(character)) return 0;
            // The message waits for the operator, so the senders must not wait with it.
            busy.release();
            ui.messageBox(kTxBufferFullMessage, "", kMbIconInformation | kMbTopMost);
            return kNoBaudotCode;
        case TXB_TAKE_RAW:
            return takeRaw();
        case TXB_DELETE:
            deleteLast();
            return 0;
        case TXB_CLEAR:
            txHead = txTail;
            return 0;
        case TXB_NEXT_CODE:
            return nextCode();
        default:
            return 0;
    }
}

bool TxBuffer::add(std::uint8_t character) {
    if (lastAdded == ' ' && character == ' ') return true;  // runs of spaces collapse
    lastAdded = character;
    if (encodeBaudot(character) == kNoBaudotCode) return true;  // dropped silently
    if (nextSlot(txHead) == txTail) return false;
    txRing[txHead] = character;  // stored as typed; encoded when it is sent
    txHead = nextSlot(txHead);
    return true;
}

std::uint8_t TxBuffer::takeRaw() {
    if (empty()) return 0;
    const std::uint8_t character = txRing[txTail];
    txTail = nextSlot(txTail);
    return character;
}

void TxBuffer::deleteLast() {
    if (empty()) return;  // what the transmitter has taken is gone
    txHead = previousSlot(txHead);
    txRing[txHead] = 0;
}

std::uint8_t TxBuffer::nextCode() {
    if (empty()) {
        if (state.txState.load() >= kTxEndRequested) {
            // The end was asked for and everything is sent: a last LTRS closes the
            // transmission and the next one starts with the case undetermined.
            state.txState = kTxClosing;
            txShift = kShiftUndetermined;
            return kBaudotLtrs;
        }
        if (txShift == kShiftUndetermined) txShift = kShiftLetters;
        return txShift;  // idle fill in the current case
    }
    const BaudotCode code = encodeBaudot(txRing[txTail]);
    if (code == kBaudotCr || code == kBaudotLf) {
        txShift = kShiftUndetermined;
        return send(code);
    }
    if (code == kBaudotSpace) {
        if (txShift == kShiftUndetermined) {
            txShift = kShiftLetters;
            return kBaudotLtrs;
        }
        // Receivers may fall back to letters after a space sent in figures.
        if (txShift == kShiftFigures) txShift = kShiftUndetermined;
        return send(code);
    }
    if ((code & kFiguresCase) == 0) {
        if (txShift == kShiftLetters) return send(code);
        txShift = kShiftLetters;
        return kBaudotLtrs;
    }
    if (txShift == kShiftFigures) return send(code);
    txShift = kShiftFigures;
    return kBaudotFigs;
}

std::uint8_t TxBuffer::send(BaudotCode code) {
    logger.post(TXM_CHAR, txRing[txTail]);
    txTail = nextSlot(txTail);
    return code & kBaudotDataBits;
}

}  // namespace kestrel
