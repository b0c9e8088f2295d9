#pragma once
// What every sound generator shares: the character frame and the parts of the program
// that a generator reaches while it makes one.
//
// A frame is one character: a start element, five data elements (code bits 0 to 4) and a
// stop element 1.5 elements long. An element is always 264 samples because the sample rate
// follows the speed (12000, 13200 or 19800 Hz for 45.45, 50 or 75 baud), so a frame is
// 1980 samples at every speed.
#include <array>
#include <cstdint>
#include <functional>

#include "modem_state.h"
#include "platform/logger_port.h"
#include "platform/ui_port.h"
#include "transmit/ptt_switch.h"
#include "transmit/tx_buffer.h"

namespace kestrel {

inline constexpr int kElementSamples = 264;
inline constexpr int kStopSamples = 396;
inline constexpr int kTxFrameSamples = 6 * kElementSamples + kStopSamples;  // 1980
inline constexpr int kFrameSlots = 7;

using TxFrame = std::array<std::int16_t, kTxFrameSamples>;

// The element slots of a character frame: where each starts, how long it is, and whether
// it is a space element (start element always, data elements when their bit is 1).
struct FrameSlot {
    int begin;
    int length;
    bool space;
};
std::array<FrameSlot, kFrameSlots> frameSlots(std::uint8_t code);

struct TxLinks {
    ModemState& state;
    TxBuffer& buffer;
    PttSwitch& ptt;
    LoggerPort& logger;
    UiPort& ui;
    // Starts the thread that reports the end of the transmission once the queued audio
    // has played, and releases push-to-talk.
    std::function<void()> startPttReleaseReporter;
};

// The tone offset the transmitter applies: txToneOffset, which is first cleared when Net
// is off.
double effectiveToneOffset(ModemState& state);

// The shared behaviour of a generator called while receiving (a buffer that completes
// after an abort): silence, push-to-talk off, and the end reported again.
void generateSilentReceive(TxLinks& links, TxFrame& frame);

// The start of a tone generator's frame: a txState outside 0..5 is reported with the
// generator's own text and produces nothing; while receiving the frame is silent. Returns
// the state to generate for, or kFrameDealtWith.
inline constexpr int kFrameDealtWith = -1;
int txStateForFrame(TxLinks& links, TxFrame& frame, const char* badStateText);

// A sample value truncated toward zero and kept within 16 bits.
std::int16_t toSample(double value);

}  // namespace kestrel
