#pragma once
// The control panel: three buttons at the left of the main window for AFC on or off,
// the decode mode and Setup. Their captions always show the current state. The panel
// never keeps the focus; its dialog procedure hands it back to the transmit window after
// every command.
#include "app/app_ports.h"

namespace kestrel {

// Captions from the current AFC state and decode mode (an unknown mode leaves its
// caption as it is).
void initControlPanel(AppPorts& app);

// A command from the panel: 40031 AFC, 40043 mode, 40042 Setup; others do nothing.
void controlPanelCommand(AppPorts& app, int controlId);

}  // namespace kestrel
