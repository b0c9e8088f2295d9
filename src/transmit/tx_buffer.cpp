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

bool TxBuffer::add(std::uint8_t character) {
    BusyFlag busy(busy_);
    if (store(character)) return true;
    // The message waits for the operator, so the senders must not wait with it.
    busy.release();
    ui_.messageBox(kTxBufferFullMessage, "", kMbIconInformation | kMbTopMost);
    return false;
}

void TxBuffer::clear() {
    BusyFlag busy(busy_);
    head_ = tail_;
}

bool TxBuffer::store(std::uint8_t character) {
    if (lastAdded_ == ' ' && character == ' ') return true;  // runs of spaces collapse
    lastAdded_ = character;
    if (encodeBaudot(character) == kNoBaudotCode) return true;  // dropped silently
    if (nextSlot(head_) == tail_) return false;
    ring_[head_] = character;  // stored as typed; encoded when it is sent
    head_ = nextSlot(head_);
    return true;
}

std::uint8_t TxBuffer::takeRaw() {
    BusyFlag busy(busy_);
    if (empty()) return 0;
    const std::uint8_t character = ring_[tail_];
    tail_ = nextSlot(tail_);
    return character;
}

void TxBuffer::deleteLast() {
    BusyFlag busy(busy_);
    if (empty()) return;  // what the transmitter has taken is gone
    head_ = previousSlot(head_);
    ring_[head_] = 0;
}

std::uint8_t TxBuffer::nextCode() {
    BusyFlag busy(busy_);
    if (empty()) {
        if (state_.txState.load() >= kTxEndRequested) {
            // The end was asked for and everything is sent: a last LTRS closes the
            // transmission and the next one starts with the case undetermined.
            state_.txState = kTxClosing;
            shift_ = kShiftUndetermined;
            return kBaudotLtrs;
        }
        if (shift_ == kShiftUndetermined) shift_ = kShiftLetters;
        return shift_;  // idle fill in the current case
    }
    const BaudotCode code = encodeBaudot(ring_[tail_]);
    if (code == kBaudotCr || code == kBaudotLf) {
        shift_ = kShiftUndetermined;
        return send(code);
    }
    if (code == kBaudotSpace) {
        if (shift_ == kShiftUndetermined) {
            shift_ = kShiftLetters;
            return kBaudotLtrs;
        }
        // Receivers may fall back to letters after a space sent in figures.
        if (shift_ == kShiftFigures) shift_ = kShiftUndetermined;
        return send(code);
    }
    if ((code & kFiguresCase) == 0) {
        if (shift_ == kShiftLetters) return send(code);
        shift_ = kShiftLetters;
        return kBaudotLtrs;
    }
    if (shift_ == kShiftFigures) return send(code);
    shift_ = kShiftFigures;
    return kBaudotFigs;
}

std::uint8_t TxBuffer::send(BaudotCode code) {
    logger_.post(TXM_CHAR, ring_[tail_]);
    tail_ = nextSlot(tail_);
    return code & kBaudotDataBits;
}

}  // namespace kestrel
