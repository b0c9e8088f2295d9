#include "transmit/fsk_port.h"

#include "transmit/ptt_port.h"

namespace kestrel {
namespace {

constexpr std::uint32_t kFskQueueBytes = 4096;

const char* openFailureText(SerialOpenError error) {
    switch (error) {
        case SerialOpenError::fileNotFound:
            return "Kestrel Unable to Open FSK COM port\nCOM port unavailble";
        case SerialOpenError::accessDenied:
            return "Kestrel Unable to Open FSK COM port\nCOM port in use by other software";
        default:
            return "Kestrel Unable to Open FSK COM port";
    }
}

}  // namespace

FskLineActions fskLineActions(int fskLine, int fskInvert) {
    FskLineActions actions{SerialLineAction::clearDtr, SerialLineAction::setDtr};
    if (fskLine == kFskRts) actions = {SerialLineAction::clearRts, SerialLineAction::setRts};
    if (fskLine == kFskTxd) actions = {SerialLineAction::clearBreak, SerialLineAction::setBreak};
    if (fskInvert == 1) std::swap(actions.mark, actions.space);
    return actions;
}

void idleFskLines(const std::shared_ptr<SerialPort>& port, int fskLine, int fskInvert,
                  int pttLine) {
    lineAction(port, fskLineActions(fskLine, fskInvert).mark);
    if (fskLine != kFskDtr && fskLine != kFskRts && fskLine != kFskTxd) fskLine = kFskDtr;
    if (fskLine != kFskDtr) lineAction(port, SerialLineAction::clearDtr);
    if (fskLine != kFskRts) lineAction(port, SerialLineAction::clearRts);
    switchPttLine(port, pttLine, false);
}

int openFskPort(ComPorts& ports, const ModemState& state, std::string_view portName) {
    closePort(ports.pttPort);
    SerialOpenError error = SerialOpenError::none;
    std::shared_ptr<SerialPort> port =
        ports.system.open(devicePath(portName), SerialAccess::overlapped, error);
    ports.fskPort.store(port);
    if (!port) {
        showPortMessage(ports.ui, openFailureText(error), kFskCaption, true);
        return 1;
    }
    if (!port->readState()) {
        showPortMessage(ports.ui, "Kestrel Getcommstate failed for COM port", kFskCaption, true);
        return 1;
    }
    if (!port->setQueueSizes(kFskQueueBytes, kFskQueueBytes)) {
        showPortMessage(ports.ui, "Kestrel SetupCom failed for COM port", kFskCaption, true);
        return 1;
    }
    idleFskLines(port, state.fskLine.load(), state.fskInvert.load(), state.pttLine.load());
    return 0;
}

void closeFskPort(ComPorts& ports) {
    closePort(ports.fskPort);
}

}  // namespace kestrel
