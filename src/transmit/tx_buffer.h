#pragma once
// The transmit buffer: one ring of characters between everything that types (the transmit
// window, the logger, the test-text feeder) and everything that sends (the sound
// generators, the FSK and TinyFSK threads). One entry point, txBuffer, does every
// operation under one busy flag, so any thread may call it.
#include <array>
#include <atomic>
#include <cstdint>

#include "modem_state.h"
#include "platform/logger_port.h"
#include "platform/ui_port.h"
#include "transmit/baudot_encoding.h"
#include "transmit/tx_buffer_control.h"

namespace kestrel {

// Commands of txBuffer.
inline constexpr std::uint8_t TXB_ADD = 0;         // add the character; 0x7F when the ring was full
inline constexpr std::uint8_t TXB_TAKE_RAW = 252;  // next unsent character as stored, 0 when empty
inline constexpr std::uint8_t TXB_DELETE = 253;    // drop the last unsent character
inline constexpr std::uint8_t TXB_CLEAR = 254;     // drop every unsent character
inline constexpr std::uint8_t TXB_NEXT_CODE = 255;  // the five-bit code to send next

inline constexpr int kTxRingSize = 50000;  // holds at most 49999 unsent characters
inline constexpr const char* kTxBufferFullMessage = "TX Keyboard Buffer Full\nCharacter lost";

// Far-end case as txShift holds it. Letters and figures are the codes of LTRS and FIGS, so
// idle fill can send txShift as it stands.
inline constexpr std::uint8_t kShiftLetters = kBaudotLtrs;
inline constexpr std::uint8_t kShiftFigures = kBaudotFigs;
inline constexpr std::uint8_t kShiftUndetermined = 5;

struct TxBuffer : TxBufferControl {
    TxBuffer(ModemState& state, LoggerPort& logger, UiPort& ui)
        : state(state), logger(logger), ui(ui) {}

    std::uint8_t txBuffer(std::uint8_t character, std::uint8_t command);
    // The logger's order to discard the unsent text.
    void clearTxBuffer() override { txBuffer(0, TXB_CLEAR); }

    ModemState& state;
    LoggerPort& logger;
    UiPort& ui;

    std::array<std::uint8_t, kTxRingSize> txRing{};
    int txHead = 0;  // next slot to fill
    int txTail = 0;  // next slot to send
    std::atomic<int> txBusy{0};
    std::uint8_t lastAdded = 0;
    std::uint8_t txShift = kShiftUndetermined;

  private:
    bool add(std::uint8_t character);  // false when the ring was full
    std::uint8_t takeRaw();
    void deleteLast();
    std::uint8_t nextCode();
    std::uint8_t send(BaudotCode code);
    bool empty() const { return txHead == txTail; }
};

}  // namespace kestrel
