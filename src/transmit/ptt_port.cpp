#include "transmit/ptt_port.h"

#include "text/captions.h"

namespace kestrel {

void closeTransmitPorts(ComPorts& ports) {
    closePort(ports.fskPort);
    if (!closePort(ports.pttPort))
        showPortMessage(ports.ui, "Unable to close PTT COM port\n file TX_PTT line 29",
                        kErrorCaption, true);
}

bool openPttDevice(ComPorts& ports, std::string_view portName) {
    SerialOpenError error = SerialOpenError::none;
    std::shared_ptr<SerialPort> port =
        ports.system.open(devicePath(portName), SerialAccess::overlapped, error);
    if (!port) {
        showPortMessage(ports.ui, "Unable to Open PTT COM port\nCOM port may be in use or absent",
                        kDefaultCaption, true);
        return false;
    }
    ports.pttPort.store(port);
    if (!port->readState()) {
        showPortMessage(ports.ui, "Getcommstate failed for PTT COM port", kDefaultCaption, false);
        return false;
    }
    if (!port->setQueueSizes(kPttQueueBytes, kPttQueueBytes)) {
        showPortMessage(ports.ui, "SetupCom failed for PTT COM port", kDefaultCaption, false);
        return false;
    }
    port->lineAction(SerialLineAction::clearDtr);
    port->lineAction(SerialLineAction::clearRts);
    port->lineAction(SerialLineAction::clearBreak);
    return true;
}

int openPttPort(ComPorts& ports, std::string_view portName, int line) {
    closeTransmitPorts(ports);
    if (line == kPttNone) return 0;
    return openPttDevice(ports, portName) ? 1 : 0;
}

bool switchPttLine(const std::shared_ptr<SerialPort>& port, int pttLine, bool on) {
    if (pttLine == kPttDtr)
        return lineAction(port, on ? SerialLineAction::setDtr : SerialLineAction::clearDtr);
    if (pttLine == kPttRts)
        return lineAction(port, on ? SerialLineAction::setRts : SerialLineAction::clearRts);
    return true;
}

void ComPttSwitch::setPtt(bool on) {
    int line = state_.pttLine.load();
    if (line == kPttNone) return;
    PortHandle& handle = state_.TXmode.load() == kFskMode ? ports_.fskPort : ports_.pttPort;
    switchPttLine(handle.load(), line, on);
}

}  // namespace kestrel
