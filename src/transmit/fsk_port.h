#pragma once
// The FSK port: one line keys the transmitter (fskLine 0 DTR, 1 RTS, 2 TxD held in break),
// normal or inverted; PTT, when used, is the other modem-control line of the same port.
#include <string_view>

#include "modem_state.h"
#include "transmit/com_ports.h"

namespace kestrel {

inline constexpr int kFskDtr = 0;
inline constexpr int kFskRts = 1;
inline constexpr int kFskTxd = 2;
inline constexpr const char* kFskCaption = "Kestrel FSK Error";

struct FskLineActions {
    SerialLineAction mark;
    SerialLineAction space;
};

// Mark and space of the keying line. Normal polarity: mark clears DTR or RTS or the
// break, space sets it; inverted the other way round. Any other line keys DTR.
FskLineActions fskLineActions(int fskLine, int fskInvert);

// Puts the keying line at mark, clears the other lines and switches PTT off.
void idleFskLines(const std::shared_ptr<SerialPort>& port, int fskLine, int fskInvert, int pttLine);

// Closes the PTT port and opens the named port as the FSK port, its lines idle. 0 on
// success, 1 on failure (after a message).
int openFskPort(ComPorts& ports, const ModemState& state, std::string_view portName);

void closeFskPort(ComPorts& ports);

}  // namespace kestrel
