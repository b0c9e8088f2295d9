#pragma once
// What the menu commands, the control panel and the main window's handlers work on: the
// shared settings in memory, the settings file, and the ports to the user interface, the
// logger and the main window.
#include "modem_state.h"
#include "platform/logger_port.h"
#include "platform/main_window_port.h"
#include "platform/ui_port.h"
#include "settings/settings_access.h"

namespace kestrel {

struct AppPorts {
    ModemState& state;
    SettingsAccess& settings;
    UiPort& ui;
    LoggerPort& logger;
    MainWindowPort& mainWindow;
};

}  // namespace kestrel
