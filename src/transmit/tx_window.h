#pragma once
// The transmit window's character handling: every key the operator presses and every
// character and transmit order of the logger arrives here as a character message and
// becomes a transmit-buffer operation, the start, end or abort of a transmission, or part
// of a brace command ({CR}, {RX}, {TX}, {CL}) embedded in the logger's text.
#include <array>
#include <cstdint>
#include <functional>

#include "modem_state.h"
#include "platform/logger_port.h"
#include "transmit/ptt_switch.h"
#include "transmit/sound_output.h"
#include "transmit/tx_buffer.h"

namespace kestrel {

inline constexpr std::uint8_t kCtrlT = 20;   // start, or end after the buffered text
inline constexpr std::uint8_t kCtrlV = 22;   // type the test text
inline constexpr std::uint8_t kEscape = 27;  // stop at once
inline constexpr int kBraceTextMax = 9;

// What the window starts or sends outside the transmit code.
struct TxWindowHooks {
    std::function<void()> startFskThread;
    std::function<void()> startTinyTxThread;
    std::function<void()> startTestTextFeeder;
    // Posts a character message to the window itself; it is handled after the current one.
    std::function<void(std::uint8_t)> postCharacter;
};

struct TxWindow {
    TxWindow(ModemState& state, TxBuffer& buffer, SoundOutput& sound, PttSwitch& ptt,
             LoggerPort& logger, TxWindowHooks hooks)
        : state(state),
          buffer(buffer),
          sound(sound),
          ptt(ptt),
          logger(logger),
          hooks(std::move(hooks)) {}

    // A character message; the code is the UTF-16 unit in the low 16 bits of the first
    // message parameter, and only ASCII codes act.
    void handleCharacter(std::uint64_t firstParameter);
    // Escape: ends a transmission at once, unkeys, drops the unsent text, tells the logger.
    void abort();

    ModemState& state;
    TxBuffer& buffer;
    SoundOutput& sound;
    PttSwitch& ptt;
    LoggerPort& logger;
    TxWindowHooks hooks;

    int braceLength = 0;  // 0 outside a brace command, else 1 plus the characters stored
    std::array<char, kBraceTextMax> braceText{};

  private:
    void plainCharacter(std::uint8_t code);
    void braceCharacter(std::uint8_t code);
    void braceCommand();
    void startOrStop();
    void start();
    void add(std::uint8_t character) { buffer.add(character); }
};

}  // namespace kestrel
