#include "app/control_panel.h"

#include <string>

#include "frontend/spectrum_view.h"
#include "platform/logger_codes.h"
#include "settings/settings_access.h"
#include "text/captions.h"
#include "text/ui_ids.h"

namespace kestrel {
namespace {

constexpr int kAfcBit = 4;

const char* afcCaption(int afcOff) {
    return afcOff == 1 ? kAfcOffCaption : kAfcOnCaption;
}

// AFC lives twice in the settings file, as AFC_ON_OFF and as bit 2 of the switch word
// the logger sees; both change, and the logger is told the new word.
void toggleAfc(AppPorts& app) {
    int word = app.settings.readInt("N1MM_SWITCH", kDefaultSwitchWord);
    const bool turnOn = app.state.afcOff == 1;
    app.state.afcOff = turnOn ? 0 : 1;
    app.ui.setControlCaption(IDC_AFC_BUTTON, afcCaption(app.state.afcOff));
    app.settings.writeString("AFC_ON_OFF", turnOn ? "0" : "1");
    word = turnOn ? word | kAfcBit : word & ~kAfcBit;
    app.state.switchWord = word;
    app.logger.post(TXM_SWITCH, word);
    app.settings.writeString("N1MM_SWITCH", std::to_string(word));
}

void stepDecodeMode(AppPorts& app) {
    int mode = app.state.Decodemode + 1;
    if (mode >= kDecodeModes) mode = 0;
    app.state.Decodemode = mode;
    app.settings.writeString("Decodemode", std::to_string(mode));
    app.ui.setControlCaption(IDC_MODE_BUTTON, decodeModeText(mode));
}

}  // namespace

void initControlPanel(AppPorts& app) {
    const std::string_view mode = decodeModeText(app.state.Decodemode);
    if (!mode.empty()) app.ui.setControlCaption(IDC_MODE_BUTTON, mode);
    app.ui.setControlCaption(IDC_AFC_BUTTON, afcCaption(app.state.afcOff));
}

void controlPanelCommand(AppPorts& app, int controlId) {
    switch (controlId) {
        case IDC_AFC_BUTTON:
            toggleAfc(app);
            return;
        case IDC_MODE_BUTTON:
            stepDecodeMode(app);
            return;
        case IDC_SETUP_BUTTON:
            app.mainWindow.postMenuCommand(IDM_SETTINGS);
            return;
        default:
            return;
    }
}

}  // namespace kestrel
