#pragma once
// The TinyFSK keyer: an outside serial FSK keyer that does its own Baudot encoding and
// element timing. Kestrel opens its port at 9600 baud, sets its speed and mark polarity
// once after each opening, and during a transmission feeds it upper-case characters
// between "[" and "]", passing the keyer's echo on to the logger.
#include <atomic>
#include <string>
#include <string_view>
#include <thread>

#include "modem_state.h"
#include "platform/clock_port.h"
#include "platform/logger_port.h"
#include "platform/ui_port.h"
#include "transmit/com_ports.h"

namespace kestrel {

class TxBuffer;

// What the keyer's threads work with; the program has one, tests make their own.
struct TinyFsk {
    ModemState& state;
    ComPorts& ports;
    TxBuffer& txBuffer;
    ClockPort& clock;
    LoggerPort& logger;
    UiPort& ui;
    std::atomic<bool> stopRequested{false};  // ends a thread at its next look; tests only
};

// What the keyer's answer to "~?" says: whether it has a speed field (the keyer is
// there), the first speed digit 4, 5 or 7 after it (0 when none), and its mark level.
enum class TinyMark { missing, unreadable, high, low };
struct TinyQueryReply {
    bool speedField = false;
    char speedDigit = 0;
    TinyMark mark = TinyMark::missing;
};

// Reads the reply as text up to its first zero byte, upper-cased.
TinyQueryReply parseTinyReply(std::string_view reply);

// The speed command for baudIndex: "~4", "~5" or "~7" (any other index is 45.45 baud).
std::string_view tinySpeedCommand(int baudIndex);

// Closes both ports and opens the named port as the keyer's at 9600,n,8,1, reads
// returning at once. 0 on success (the keyer then needs configuring), 1 on failure.
int openTinyPort(TinyFsk& tiny, std::string_view portName);

// After each opening of the port: asks the keyer its speed and polarity and corrects
// them to baudIndex and markPolarity ("H" or "L"); sets tinyConfigured when done.
void tinyConfigThread(TinyFsk& tiny, std::string_view markPolarity);

// One transmission, started after txState has been set to 1.
void tinyTxThread(TinyFsk& tiny);

// Start the threads; the program detaches them, tests join them.
std::thread launchTinyConfigThread(TinyFsk& tiny, std::string markPolarity);
std::thread launchTinyTxThread(TinyFsk& tiny);

}  // namespace kestrel
