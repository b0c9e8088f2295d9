#pragma once
// Serial-line FSK keying: one thread per transmission sends the frames the sound modes
// send (7.5 elements of space, 7.5 of mark, then one frame per character) by switching
// the keying line of the FSK port at absolute performance-counter deadlines.
#include <array>
#include <atomic>
#include <cstdint>
#include <thread>

#include "modem_state.h"
#include "platform/clock_port.h"
#include "platform/logger_port.h"
#include "platform/priority_port.h"
#include "platform/ui_port.h"
#include "transmit/com_ports.h"
#include "transmit/fsk_port.h"
#include "transmit/fsk_timing.h"

namespace kestrel {

class TxBuffer;

// What the keying thread works with; the program has one, tests make their own.
struct FskKeyer {
    ModemState& state;
    ComPorts& ports;
    TxBuffer& txBuffer;
    ClockPort& clock;
    PriorityPort& priority;
    LoggerPort& logger;
    UiPort& ui;
    std::atomic<bool> stopRequested{false};  // ends the thread at once; for tests only
};

// The timing state of one transmission, owned by its thread.
struct FskTiming {
    std::int64_t counterFrequency = 0;
    std::int64_t elementTicks = 0;
    int maxSleepMs = 0;
    FskLineActions actions{};
    std::array<int, kFrameElements> elementValue{};  // 0 mark, else space
    FrameDeadlines elementDeadline{};
    int elementIndex = 0;
    std::int64_t lastCount = 0;
    std::uint8_t nextCode = 0;  // LTRS until the first character is fetched
};

// The thread body: started after txState has been set to 1; returns when the
// transmission has ended or been aborted.
void fskThread(FskKeyer& keyer);

// Starts fskThread; the program detaches the thread, tests join it.
std::thread launchFskThread(FskKeyer& keyer);

}  // namespace kestrel
