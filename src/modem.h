#pragma once
// Kestrel in one piece: one of every subsystem, wired to each other and, through the
// ports, to the outside world. The Windows shell makes one Modem and turns its window
// messages into calls on it; tests make their own with recording ports.
#include <optional>
#include <string>
#include <thread>

#include "app/app_ports.h"
#include "app/command_line.h"
#include "app/menu_commands.h"
#include "app/settings_load.h"
#include "app/settings_store.h"
#include "decode/decoder_dispatch.h"
#include "decode/framing.h"
#include "decode/received_char_emitter.h"
#include "frontend/front_end.h"
#include "frontend/spectrum_view.h"
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
#include "platform/priority_port.h"
#include "platform/save_text_file_port.h"
#include "platform/serial_port.h"
#include "platform/shared_block_port.h"
#include "platform/text_sink_port.h"
#include "platform/ui_port.h"
#include "platform/window_title_port.h"
#include "transmit/com_ports.h"
#include "transmit/fsk_thread.h"
#include "transmit/ptt_port.h"
#include "transmit/tiny_fsk.h"
#include "transmit/tx_buffer.h"

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
    SerialPorts& serialPorts;
    PriorityPort& priority;
};

// The logger's "clear the transmit buffer" command, handed to the transmit buffer.
class ModemTxBufferControl final : public TxBufferControl {
  public:
    explicit ModemTxBufferControl(TxBuffer& buffer) : buffer_(buffer) {}
    void clearTxBuffer() override { buffer_.txBuffer(0, TXB_CLEAR); }

  private:
    TxBuffer& buffer_;
};

struct Modem {
    // exePath: the running executable (UTF-8, Windows form); the settings file is beside it.
    Modem(const ModemPorts& ports, std::string exePath, const CommandLine& commandLine);
    // Ends a running pause and the transmitter's threads, and waits for them.
    ~Modem();
    Modem(const Modem&) = delete;
    Modem& operator=(const Modem&) = delete;

    // Start-up: every setting read and checked, the sound devices found by name.
    void loadSettings();

    // At the creation of the main window: the COM ports and threads of the transmit mode.
    void prepareTransmitOutput();

    // The spectrum strip. Its click state starts from the decode mode in force when the
    // window is made.
    void spectrumWindowCreated();
    SpectrumPaint spectrumPaint() const;
    void spectrumLeftClick(int x);
    void spectrumRightClick();

    ModemPorts ports;
    CommandLine commandLine;
    ModemState state;
    SettingsStore store;
    SettingsStrings strings;
    StoreSettingsAccess settings{store};
    AppPorts app{state, settings, ports.ui, ports.logger, ports.mainWindow};

    // The receive chain, from processed samples to the logger.
    ReceivedCharEmitter emitter{state, ports.logger};
    Framing framing{state, emitter, ports.ui, ports.textFile};
    DecoderDispatch decoders;
    FrontEnd frontEnd{state, ports.logger, ports.ui};
    std::optional<SpectrumView> spectrumView;

    // The transmitter.
    TxBuffer txBuffer{state, ports.logger, ports.ui};
    ModemTxBufferControl txBufferControl{txBuffer};
    ComPorts comPorts{ports.serialPorts, ports.ui};
    ComPttSwitch ptt{comPorts, state};
    FskKeyer fskKeyer{state,          comPorts,     txBuffer, ports.clock,
                      ports.priority, ports.logger, ports.ui};
    TinyFsk tinyFsk{state, comPorts, txBuffer, ports.clock, ports.logger, ports.ui};
    // The link's threads go before the link they use.
    LoggerLink link;
    LinkThreads linkThreads{ports.windowTitles};

    MenuCommands menu;

  private:
    void startPauseThread();
    std::thread pauseWorker_;
    std::thread tinyConfigWorker_;
};

}  // namespace kestrel
