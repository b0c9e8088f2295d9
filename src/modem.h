#pragma once
// Kestrel in one piece: one of every subsystem, wired to each other and, through the
// ports, to the outside world. The Windows shell makes one Modem and turns its window
// messages into calls on it; tests make their own with recording ports.
#include <string>

#include "app/app_ports.h"
#include "app/command_line.h"
#include "app/menu_commands.h"
#include "app/settings_load.h"
#include "app/settings_store.h"
#include "decode/received_char_emitter.h"
#include "link/link_threads.h"
#include "link/logger_link.h"
#include "link/settings_access.h"
#include "link/tx_buffer_control.h"
#include "modem_state.h"
#include "platform/audio_devices_port.h"
#include "platform/clock_port.h"
#include "platform/document_viewer_port.h"
#include "platform/file_dialog_port.h"
#include "platform/logger_port.h"
#include "platform/main_window_port.h"
#include "platform/save_text_file_port.h"
#include "platform/shared_block_port.h"
#include "platform/text_sink_port.h"
#include "platform/ui_port.h"
#include "platform/window_title_port.h"

namespace kestrel {

struct ModemPorts {
    LoggerPort& logger;
    UiPort& ui;
    MainWindowPort& mainWindow;
    SharedBlockPort& sharedBlock;
    WindowTitlePort& windowTitles;
    ClockPort& clock;
    AudioDevicesPort& audioDevices;
    TextSinkPort& textFile;
    SaveTextFilePort& saveTextFile;
    FileDialogPort& fileDialogs;
    DocumentViewerPort& documents;
};

// The logger's "clear the transmit buffer" command, handed to the transmit buffer.
class ModemTxBufferControl final : public TxBufferControl {
  public:
    void clearTxBuffer() override;
};

struct Modem {
    // exePath: the running executable (UTF-8, Windows form); the settings file is beside it.
    Modem(const ModemPorts& ports, std::string exePath, const CommandLine& commandLine);
    Modem(const Modem&) = delete;
    Modem& operator=(const Modem&) = delete;

    // Start-up: every setting read and checked, the sound devices found by name.
    void loadSettings();

    ModemPorts ports;
    CommandLine commandLine;
    ModemState state;
    SettingsStore store;
    SettingsStrings strings;
    StoreSettingsAccess settings{store};
    AppPorts app{state, settings, ports.ui, ports.logger, ports.mainWindow};

    ReceivedCharEmitter emitter{state, ports.logger};

    ModemTxBufferControl txBufferControl;
    // The link's threads go before the link they use.
    LoggerLink link;
    LinkThreads linkThreads{ports.windowTitles};

    MenuCommands menu;
};

}  // namespace kestrel
