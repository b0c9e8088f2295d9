#pragma once
// The transmitter's two COM ports: the PTT port of the sound modes, and the port that FSK
// keying and the TinyFSK keyer use (which also carries PTT in FSK mode). Opening one
// closes the other. Any thread may switch a line while the user-interface thread reopens
// a port, so each handle is an atomic shared pointer: a line change on a port closed in
// the meantime fails like a call on a closed handle instead of touching freed memory.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/serial_port.h"
#include "platform/ui_port.h"

namespace kestrel {

using PortHandle = std::atomic<std::shared_ptr<SerialPort>>;

struct ComPorts {
    ComPorts(SerialPorts& system, UiPort& ui) : system(system), ui(ui) {}

    SerialPorts& system;
    UiPort& ui;
    PortHandle pttPort;
    PortHandle fskPort;
};

inline constexpr std::size_t kDevicePathChars = 29;  // the path buffer holds 30 with its end
inline constexpr int kMaxListedPorts = 32;
inline constexpr int kLastListedPortNumber = 254;
inline constexpr std::string_view kDefaultCaption = "";  // the system's own caption

// "\\.\" followed by the port name, cut to the path buffer.
std::string devicePath(std::string_view portName);

// "COM<n>" for n from firstNumber to 254 that the system knows, in order, at most 32.
std::vector<std::string> listComPorts(SerialPorts& system, int firstNumber);

// Closes the port the handle holds, if any, and leaves the handle empty. False only when
// an open port failed to close.
bool closePort(PortHandle& handle);

// A line change on whatever port the handle holds; fails when it holds none.
bool lineAction(const std::shared_ptr<SerialPort>& port, SerialLineAction action);

// Writes all of bytes; false when the write failed or fell short.
bool writeAll(SerialPort* port, std::string_view bytes);

// One message box; every message of the serial code is either topmost or not.
void showPortMessage(UiPort& ui, std::string_view text, std::string_view caption, bool topmost);

}  // namespace kestrel
