#include "transmit/com_ports.h"

#include <span>

namespace kestrel {

std::string devicePath(std::string_view portName) {
    std::string path = "\\\\.\\";
    path += portName;
    if (path.size() > kDevicePathChars) path.resize(kDevicePathChars);
    return path;
}

std::vector<std::string> listComPorts(SerialPorts& system, int firstNumber) {
    std::vector<std::string> names;
    for (int n = firstNumber; n <= kLastListedPortNumber; ++n) {
        std::string name = "COM" + std::to_string(n);
        if (!system.deviceExists(name)) continue;
        names.push_back(std::move(name));
        if (static_cast<int>(names.size()) == kMaxListedPorts) break;
    }
    return names;
}

bool closePort(PortHandle& handle) {
    std::shared_ptr<SerialPort> port = handle.exchange(nullptr);
    return !port || port->close();
}

bool lineAction(const std::shared_ptr<SerialPort>& port, SerialLineAction action) {
    return port && port->lineAction(action);
}

bool writeAll(SerialPort* port, std::string_view bytes) {
    if (!port) return false;
    std::size_t written = 0;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    bool ok = port->write(std::span(data, bytes.size()), written);
    return ok && written == bytes.size();
}

void showPortMessage(UiPort& ui, std::string_view text, std::string_view caption, bool topmost) {
    ui.messageBox(text, caption, topmost ? (kMbOk | kMbTopMost) : kMbOk);
}

}  // namespace kestrel
