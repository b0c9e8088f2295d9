#pragma once
// The transmit buffer: one ring of characters between everything that types (the transmit
// window, the logger, the test-text feeder) and everything that sends (the sound
// generators, the FSK and TinyFSK threads). Every operation holds one busy flag, so any
// thread may call it.
#include <array>
#include <atomic>
#include <cstdint>

#include "modem_state.h"
#include "platform/logger_port.h"
#include "platform/ui_port.h"
#include "transmit/baudot_encoding.h"
#include "transmit/tx_buffer_control.h"

namespace kestrel {

inline constexpr int kTxRingSize = 50000;  // holds at most 49999 unsent characters
inline constexpr const char* kTxBufferFullMessage = "TX Keyboard Buffer Full\nCharacter lost";

// Far-end case as txShift holds it. Letters and figures are the codes of LTRS and FIGS, so
// idle fill can send txShift as it stands.
inline constexpr std::uint8_t kShiftLetters = kBaudotLtrs;
inline constexpr std::uint8_t kShiftFigures = kBaudotFigs;
inline constexpr std::uint8_t kShiftUndetermined = 5;

class TxBuffer final : public TxBufferControl {
  public:
    TxBuffer(ModemState& state, LoggerPort& logger, UiPort& ui)
        : state_(state), logger_(logger), ui_(ui) {}

    // A typed character, stored as typed and encoded when it is sent. Runs of spaces
    // collapse and characters with no Baudot code are dropped. False when the ring was
    // full: the character is lost and the operator is told.
    bool add(std::uint8_t character);
    // The next unsent character as stored, taken off the ring; 0 when none is left.
    std::uint8_t takeRaw();
    // Drops the last unsent character (what the transmitter has taken is gone).
    void deleteLast();
    // Drops every unsent character.
    void clear();
    // The five-bit code to send next: a shift where the case changes, idle fill in the
    // current case when nothing is left, and the closing LTRS once the end was asked for.
    std::uint8_t nextCode();

    // The logger's order to discard the unsent text.
    void clearTxBuffer() override { clear(); }

    // Where the ring stands, for the tests.
    struct Statistics {
        int head;   // next slot to fill
        int tail;   // next slot to send
        bool busy;  // an operation holds the ring
    };
    Statistics statistics() const { return {head_, tail_, busy_.load() != 0}; }

  private:
    bool store(std::uint8_t character);
    std::uint8_t send(BaudotCode code);
    bool empty() const { return head_ == tail_; }

    ModemState& state_;
    LoggerPort& logger_;
    UiPort& ui_;

    std::array<std::uint8_t, kTxRingSize> ring_{};
    int head_ = 0;
    int tail_ = 0;
    std::atomic<int> busy_{0};  // every operation holds it, so any thread may call
    std::uint8_t lastAdded_ = 0;
    std::uint8_t shift_ = kShiftUndetermined;
};

}  // namespace kestrel
