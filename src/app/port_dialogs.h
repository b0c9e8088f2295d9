#pragma once
// The three port dialogs the Settings dialog opens for a transmit mode: "Sound Card PTT
// Setup" (the PTT port and line of the sound modes), "FSK COM Port Setup" (the keying
// port, line, polarity and PTT line) and "Select TinyFSK Port" (the keyer's port and
// mark polarity). Each lists the COM ports that exist when it opens; OK opens the chosen
// port at once and stores the choice, Cancel changes nothing more.
#include <string>
#include <vector>

#include "modem_state.h"
#include "platform/dialog_port.h"
#include "platform/ui_port.h"
#include "settings/settings_access.h"
#include "settings/settings_load.h"
#include "transmit/com_ports.h"
#include "transmit/tiny_fsk.h"

namespace kestrel {

inline constexpr const char* kSelectPortMessage = "Please select COM Port or Cancel";
inline constexpr int kPortDialogOk = 1;
inline constexpr int kPortDialogCancelled = 0;

struct PortDialogs {
    ModemState& state;
    SettingsAccess& settings;
    SettingsStrings& strings;
    ComPorts& ports;
    TinyFsk& tiny;
    UiPort& ui;

    // The dialog of that template (IDD_PTT_SETUP, IDD_FSK_SETUP, IDD_TINY_PORT).
    void open(DialogPort& dialog, int templateId);
    void command(DialogPort& dialog, int templateId, int controlId);

    // What the open dialog holds until OK.
    std::vector<std::string> portList{};
    int preselected = kNoListItem;
    int workingLine = 0;            // FSK keying line
    int workingInvert = 0;          // FSK polarity
    int workingPtt = 0;             // PTT line
    std::string workingPolarity{};  // TinyFSK mark level, "H" or "L"

  private:
    void listPorts(DialogPort& dialog, int firstNumber, const std::string& current);
    void showFskButtons(DialogPort& dialog);
    void pttOk(DialogPort& dialog);
    void fskOk(DialogPort& dialog);
    void tinyOk(DialogPort& dialog);
    void pttCommand(DialogPort& dialog, int controlId);
    void fskCommand(DialogPort& dialog, int controlId);
    void tinyCommand(DialogPort& dialog, int controlId);
    const std::string* selectedPort(DialogPort& dialog) const;
    void writeDigit(std::string_view key, int value);
};

// The PTT choice the FSK dialog keeps for a keying line: PTT never uses the keying line,
// so DTR keying moves PTT DTR to RTS and RTS keying moves PTT RTS to DTR.
int pttForFskLine(int fskLine, int pttLine);

}  // namespace kestrel
