#include "app/port_dialogs.h"

#include "text/captions.h"
#include "text/ui_ids.h"
#include "transmit/fsk_port.h"
#include "transmit/ptt_port.h"

namespace kestrel {
namespace {

constexpr const char* kNoPort = "NONE";

// The PTT dialog also lists COM0; the keyer dialogs start at COM1.
constexpr int kPttFirstPort = 0;
constexpr int kKeyerFirstPort = 1;

}  // namespace

int pttForFskLine(int fskLine, int pttLine) {
    if (fskLine == kFskRts) return pttLine == kPttRts ? kPttDtr : pttLine;
    if (fskLine == kFskTxd) return pttLine;
    return pttLine == kPttDtr ? kPttRts : pttLine;
}

void PortDialogs::writeDigit(std::string_view key, int value) {
    settings.writeString(key, formatSettingInt(value, IntFormat::plain));
}

void PortDialogs::listPorts(DialogPort& dialog, int firstNumber, const std::string& current) {
    portList = listComPorts(ports.system, firstNumber);
    preselected = kNoListItem;
    for (std::size_t i = 0; i < portList.size(); ++i) {
        if (portList[i] == current) preselected = static_cast<int>(i);
    }
    for (const std::string& name : portList) dialog.addListItem(IDC_PORT_LIST, name);
    dialog.selectListItem(IDC_PORT_LIST, preselected);
}

const std::string* PortDialogs::selectedPort(DialogPort& dialog) const {
    const int index = dialog.selectedListItem(IDC_PORT_LIST);
    if (index < 0 || index >= static_cast<int>(portList.size())) return nullptr;
    return &portList[index];
}

void PortDialogs::open(DialogPort& dialog, int templateId) {
    switch (templateId) {
        case IDD_PTT_SETUP:
            listPorts(dialog, kPttFirstPort, strings.pttPortName);
            workingPtt = state.pttLine;
            dialog.checkRadioButton(IDC_PTT_NO, IDC_PTT_RTS, IDC_PTT_NO + workingPtt);
            return;
        case IDD_FSK_SETUP:
            workingLine = state.fskLine;
            workingInvert = state.fskInvert;
            workingPtt = state.pttLine;
            if (state.pttLine != kPttNone) openPttPort(ports, kNoPort, kPttNone);
            listPorts(dialog, kKeyerFirstPort, strings.fskPortName);
            showFskButtons(dialog);
            return;
        case IDD_TINY_PORT:
            if (state.pttLine != kPttNone) openPttPort(ports, kNoPort, kPttNone);
            listPorts(dialog, kKeyerFirstPort, strings.fskPortName);
            workingPolarity = strings.markPolarity;
            dialog.checkRadioButton(IDC_MARK_HIGH, IDC_MARK_LOW,
                                    workingPolarity == "H" ? IDC_MARK_HIGH : IDC_MARK_LOW);
            return;
        default:
            return;
    }
}

// Also moves the PTT choice off the keying line.
void PortDialogs::showFskButtons(DialogPort& dialog) {
    int line = workingLine;
    if (line != kFskRts && line != kFskTxd) line = kFskDtr;
    dialog.enableItem(IDC_PTT_DTR, line != kFskDtr);
    dialog.enableItem(IDC_PTT_RTS, line != kFskRts);
    workingPtt = pttForFskLine(line, workingPtt);
    dialog.checkRadioButton(IDC_FSK_DTR, IDC_FSK_TXD, IDC_FSK_DTR + line);
    dialog.checkRadioButton(IDC_NORMAL, IDC_INVERT, workingInvert == 1 ? IDC_INVERT : IDC_NORMAL);
    dialog.checkRadioButton(IDC_PTT_NO, IDC_PTT_RTS, IDC_PTT_NO + workingPtt);
}

void PortDialogs::command(DialogPort& dialog, int templateId, int controlId) {
    if (controlId == kCancelButton) {
        dialog.end(kPortDialogCancelled);
        return;
    }
    switch (templateId) {
        case IDD_PTT_SETUP:
            pttCommand(dialog, controlId);
            return;
        case IDD_FSK_SETUP:
            fskCommand(dialog, controlId);
            return;
        case IDD_TINY_PORT:
            tinyCommand(dialog, controlId);
            return;
        default:
            return;
    }
}

void PortDialogs::pttCommand(DialogPort& dialog, int controlId) {
    switch (controlId) {
        case IDC_PTT_NO:
        case IDC_PTT_DTR:
        case IDC_PTT_RTS:
            workingPtt = controlId - IDC_PTT_NO;
            dialog.checkRadioButton(IDC_PTT_NO, IDC_PTT_RTS, controlId);
            return;
        case kOkButton:
            pttOk(dialog);
            return;
        default:
            return;
    }
}

void PortDialogs::pttOk(DialogPort& dialog) {
    const std::string* port = selectedPort(dialog);
    if (port == nullptr && workingPtt != kPttNone) {
        showPortMessage(ui, kSelectPortMessage, kErrorCaption, true);
        return;
    }
    closeTransmitPorts(ports);
    if (workingPtt == kPttNone) {
        state.pttLine = kPttNone;
        dialog.end(kPortDialogOk);
        strings.pttPortName = kNoPort;
        writeDigit("PTT", kPttNone);
        settings.writeString("PTTCOMport", kNoPort);
        return;
    }
    if (!openPttDevice(ports, *port)) return;
    state.pttLine = workingPtt;
    writeDigit("PTT", workingPtt);
    strings.pttPortName = *port;
    settings.writeString("PTTCOMport", *port);
    switchPttLine(ports.pttPort.load(), workingPtt, false);
    dialog.end(kPortDialogOk);
}

void PortDialogs::fskCommand(DialogPort& dialog, int controlId) {
    switch (controlId) {
        case IDC_FSK_DTR:
        case IDC_FSK_RTS:
        case IDC_FSK_TXD:
            workingLine = controlId - IDC_FSK_DTR;
            showFskButtons(dialog);
            return;
        case IDC_NORMAL:
        case IDC_INVERT:
            workingInvert = controlId - IDC_NORMAL;
            showFskButtons(dialog);
            return;
        case IDC_PTT_NO:
        case IDC_PTT_DTR:
        case IDC_PTT_RTS:
            workingPtt = controlId - IDC_PTT_NO;
            showFskButtons(dialog);
            return;
        case kOkButton:
            fskOk(dialog);
            return;
        default:
            return;
    }
}

void PortDialogs::fskOk(DialogPort& dialog) {
    closePort(ports.pttPort);
    const std::string* port = selectedPort(dialog);
    if (port == nullptr) {
        showPortMessage(ui, kSelectPortMessage, kDefaultCaption, true);
        return;
    }
    closeFskPort(ports);
    if (openFskPort(ports, state, *port) != 0) return;
    state.fskLine = workingLine;
    state.fskInvert = workingInvert;
    state.pttLine = workingPtt;
    writeDigit("DTRorRTSorTxD", workingLine);
    writeDigit("NORMorINVERT", workingInvert);
    writeDigit("PTT", workingPtt);
    const std::shared_ptr<SerialPort> open = ports.fskPort.load();
    switchPttLine(open, workingPtt, false);
    idleFskLines(open, workingLine, workingInvert, workingPtt);
    dialog.end(kPortDialogOk);
    strings.fskPortName = *port;
    strings.pttPortName = workingPtt != kPttNone ? *port : kNoPort;
    settings.writeString("FSKCOMport", strings.fskPortName);
    settings.writeString("PTTCOMport", strings.pttPortName);
}

void PortDialogs::tinyCommand(DialogPort& dialog, int controlId) {
    switch (controlId) {
        case IDC_MARK_HIGH:
        case IDC_MARK_LOW:
            workingPolarity = controlId == IDC_MARK_HIGH ? "H" : "L";
            dialog.checkRadioButton(IDC_MARK_HIGH, IDC_MARK_LOW, controlId);
            return;
        case kOkButton:
            tinyOk(dialog);
            return;
        default:
            return;
    }
}

// The keyer's port is opened again unless it is already open as the keyer's: the same
// entry, the port held, and the program in TinyFSK mode (a port the FSK mode opened is not
// set up for the keyer).
void PortDialogs::tinyOk(DialogPort& dialog) {
    const int index = dialog.selectedListItem(IDC_PORT_LIST);
    const std::string* port = selectedPort(dialog);
    if (port == nullptr) {
        showPortMessage(ui, kSelectPortMessage, kDefaultCaption, true);
        return;
    }
    const bool heldByKeyer =
        index == preselected && ports.fskPort.load() != nullptr && state.TXmode == kTinyFskMode;
    if (!heldByKeyer) {
        closeFskPort(ports);
        if (openTinyPort(tiny, *port) != 0) return;
    }
    dialog.end(kPortDialogOk);
    strings.fskPortName = *port;
    settings.writeString("FSKCOMport", *port);
    strings.pttPortName = kNoPort;
    settings.writeString("PTTCOMport", kNoPort);
    strings.markPolarity = workingPolarity;
    settings.writeString("Markpolarity", workingPolarity);
}

}  // namespace kestrel
