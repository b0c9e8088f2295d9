#pragma once
// Push-to-talk on a modem-control line of a COM port: pttLine 0 none, 1 DTR, 2 RTS. In the
// sound modes the line belongs to the PTT port; in FSK mode to the FSK port.
#include <memory>
#include <string_view>

#include "modem_state.h"
#include "transmit/com_ports.h"
#include "transmit/ptt_switch.h"

namespace kestrel {

inline constexpr int kPttNone = 0;
inline constexpr int kPttDtr = 1;
inline constexpr int kPttRts = 2;
inline constexpr std::uint32_t kPttQueueBytes = 4096;

// Closes the FSK port and the PTT port, then, unless line is 0, opens the named port as
// the PTT port with both lines and break cleared. 1 when that worked, else 0 (a port whose
// set-up failed after opening stays open and its lines still switch).
int openPttPort(ComPorts& ports, std::string_view portName, int line);

// Closes the FSK port, then the PTT port (with a message when that fails).
void closeTransmitPorts(ComPorts& ports);

// Opens the named port as the PTT port and readies its lines; true when all of it worked.
bool openPttDevice(ComPorts& ports, std::string_view portName);

// Sets (on) or clears the PTT line of port. True when done or when pttLine names no line.
bool switchPttLine(const std::shared_ptr<SerialPort>& port, int pttLine, bool on);

class ComPttSwitch : public PttSwitch {
  public:
    ComPttSwitch(ComPorts& ports, ModemState& state) : ports_(ports), state_(state) {}
    void setPtt(bool on) override;

  private:
    ComPorts& ports_;
    ModemState& state_;
};

}  // namespace kestrel
