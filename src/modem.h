#pragma once
// Kestrel in one piece: one of every subsystem, wired to each other and, through the
// ports, to the outside world. The Windows shell makes one Modem and turns its window
// messages into calls on it; tests make their own with recording ports.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "app/app_ports.h"
#include "app/command_line.h"
#include "app/control_panel.h"
#include "app/main_window_layout.h"
#include "app/menu_commands.h"
#include "app/port_dialogs.h"
#include "app/recording_dialog.h"
#include "app/settings_dialog.h"
#include "app/status_texts.h"
#include "audio_in/capture.h"
#include "audio_in/contact_recorder.h"
#include "audio_in/receive_chain.h"
#include "frontend/front_end.h"
#include "frontend/spectrum_view.h"
#include "link/link_threads.h"
#include "link/logger_link.h"
#include "modem_state.h"
#include "platform/audio_devices_port.h"
#include "platform/capture_device_port.h"
#include "platform/clock_port.h"
#include "platform/document_viewer_port.h"
#include "platform/file_dialog_port.h"
#include "platform/logger_port.h"
#include "platform/main_window_port.h"
#include "platform/playback_device_port.h"
#include "platform/priority_port.h"
#include "platform/save_text_file_port.h"
#include "platform/serial_port.h"
#include "platform/shared_block_port.h"
#include "platform/udp_port.h"
#include "platform/ui_port.h"
#include "platform/window_title_port.h"
#include "settings/settings_access.h"
#include "settings/settings_load.h"
#include "settings/settings_store.h"
#include "transmit/com_ports.h"
#include "transmit/fsk_thread.h"
#include "transmit/playback_supervisor.h"
#include "transmit/ptt_port.h"
#include "transmit/sound_generators.h"
#include "transmit/sound_output.h"
#include "transmit/tiny_fsk.h"
#include "transmit/tx_buffer.h"
#include "transmit/tx_buffer_control.h"
#include "transmit/tx_frame.h"
#include "transmit/tx_window.h"

namespace kestrel {

struct ModemPorts {
    LoggerPort& logger;
    UiPort& ui;
    MainWindowPort& mainWindow;
    SharedBlockPort& sharedBlock;
    WindowTitlePort& windowTitles;
    ClockPort& clock;
    AudioDevicesPort& audioDevices;
    SaveTextFilePort& textFile;
    FileDialogPort& fileDialogs;
    DocumentViewerPort& documents;
    SerialPorts& serialPorts;
    PriorityPort& priority;
    PlaybackDevicePort& playback;
    CaptureDevicePort& capture;
    UdpPort& udp;
};

class Modem {
  public:
    // exePath: the running executable (UTF-8, Windows form); the settings file is beside it.
    Modem(const ModemPorts& ports, std::string exePath, const CommandLine& commandLine);
    // Ends a running pause, a playing file and the transmitter's threads, and waits for
    // them.
    ~Modem();
    Modem(const Modem&) = delete;
    Modem& operator=(const Modem&) = delete;

    // Start-up: every setting read and checked, the sound devices found by name; then the
    // sound input opened and its supervisor started.
    void loadSettings();

    // Asks the capture supervisor to close and reopen the sound input (a new device or
    // channel takes effect only so).
    void requestCaptureReopen();

    // At the program's end: both supervisors stopped, then the sound input and output
    // closed, so no driver is left delivering into a process that is going away.
    void closeSoundDevices();
    // At the creation of the main window: the sound output or the COM ports of the
    // transmit mode, and their threads.
    void prepareTransmitOutput();

    // The logger: the handshake at the main window's creation (false when there is no
    // logger), and each of its commands.
    bool connectLogger() { return link.connectLogger(); }
    void loggerCommand(std::uint64_t code, std::int64_t value) {
        link.handleLoggerCommand(code, value);
    }

    // The menu's marks at the main window's creation; true when the window goes into the
    // top-most band.
    bool prepareMenus() { return menu.prepareMenus(commandLine.startSwitchCount); }
    // A command of the main menu; what is left for the main window to do.
    MenuFollowUp menuCommand(int itemId);

    // The control panel: its captions when it is made, and a press of one of its buttons.
    void controlPanelCreated() { initControlPanel(app); }
    void controlPanelPressed(int controlId) { controlPanelCommand(app, controlId); }

    // A character typed into the transmit window, or posted to it.
    void transmitWindowCharacter(std::uint64_t firstParameter) {
        txWindow.handleCharacter(firstParameter);
    }

    // The spectrum strip. Its click state starts from the decode mode in force when the
    // window is made.
    void spectrumWindowCreated();
    SpectrumPaint spectrumPaint() const;
    void spectrumLeftClick(int x);
    void spectrumRightClick();
    // The spectrum trace, as the receive side last drew it.
    const std::array<SpectrumPoint, kSpectrumPoints>& spectrumTrace() {
        return receiveChain.frontEnd().spectrumTrace();
    }

    // The dialogs: made (their fields filled) and a button pressed. A port dialog is told
    // by its template which port it sets up.
    void settingsDialogOpened(DialogPort& dialog) { settingsDialog.open(dialog); }
    void settingsDialogCommand(DialogPort& dialog, int controlId) {
        settingsDialog.command(dialog, controlId);
    }
    void portDialogOpened(DialogPort& dialog, int templateId) {
        portDialogs.open(dialog, templateId);
    }
    void portDialogCommand(DialogPort& dialog, int templateId, int controlId) {
        portDialogs.command(dialog, templateId, controlId);
    }
    RecordingDialogTexts recordingDialogOpened() { return recordingDialog.open(); }
    // OK in the recording dialog: when it arms, the contact listener starts.
    RecordingDialogResult recordingDialogConfirmed(const RecordingDialogTexts& entered);

    // The main window: where it stood last time, where it stands now, the spectrum's
    // width in its layout and the status bar's texts before anything is measured.
    Placement storedWindowPlacement() { return kestrel::storedWindowPlacement(settings); }
    void windowPlaced(const WindowRect& window, PositionSource source) {
        saveWindowPosition(settings, window, source);
    }
    int fftDisplay() const { return state.FFTDisplay; }
    std::array<std::string, kStatusParts> statusTextsAtStart() const {
        return initialStatusTexts(state);
    }

  private:
    friend struct ModemTestPeer;  // the unit tests look at the state and the transmitter

    // The modem's threads, one slot per job. A job started again waits for its last run
    // to end (it has ended or is ending); the modem's end waits for them all.
    class Workers {
      public:
        enum Slot {
            captureSupervisor,
            playbackSupervisor,
            transmissionWatchdog,
            pause,
            wav,
            tinyConfig,
            fsk,
            tinyTx,
            feeder,
            listener,
            release,
            stall,
            kSlots
        };
        void restart(Slot slot, std::function<void()> body);
        void join(Slot slot);
        void joinAll();

      private:
        std::array<std::thread, kSlots> threads_;
    };

    void playWavCommand();
    void receiveText(std::string_view text);
    TxWindowHooks txWindowHooks();
    SettingsDialogHooks settingsDialogHooks();
    void startPlaybackSupervisor();
    void startTinyConfig();
    void startPttReleaseReporter();
    void tellPlaybackStall();
    void startPauseThread();

    ModemPorts ports;
    CommandLine commandLine;
    ModemState state;
    SettingsStore store;
    SettingsStrings strings;
    StoreSettingsAccess settings{store};
    AppPorts app{state, settings, ports.ui, ports.logger, ports.mainWindow};

    // The receive chain, from processed samples to the logger.
    StatusTexts statusTexts{ports.ui, ports.logger};
    ReceiveChain receiveChain{state, ports.logger, statusTexts, ports.textFile};
    std::optional<SpectrumView> spectrumView;
    // Contact recording: the ring the receive thread fills while armed, the slots and
    // their writers.
    ContactRecorder recorder{ports.ui};
    // The sound input that feeds them.
    Capture capture{state, receiveChain, ports.capture, ports.ui, ports.clock, &recorder};

    // The transmitter. The transmit window turns every key and logger character into
    // buffer operations and transmissions.
    TxBuffer txBuffer{state, ports.logger, ports.ui};
    ComPorts comPorts{ports.serialPorts, ports.ui};
    ComPttSwitch ptt{comPorts, state};
    TxLinks txLinks{state,        txBuffer, ptt,
                    ports.logger, ports.ui, [this] { startPttReleaseReporter(); }};
    SoundGenerators generators{txLinks};
    SoundOutput soundOutput{state, generators, ports.playback, ports.clock, &ports.priority};
    PlaybackDevice playbackDevice{state,
                                  soundOutput,
                                  ports.playback,
                                  ports.ui,
                                  ports.clock,
                                  [this] { txWindow.abort(); },
                                  [this] { tellPlaybackStall(); }};
    FskKeyer fskKeyer{state,          comPorts,     txBuffer, ports.clock,
                      ports.priority, ports.logger, ports.ui};
    TinyFsk tinyFsk{state, comPorts, txBuffer, ports.clock, ports.logger, ports.ui};
    TxWindow txWindow;
    // The link's threads go before the link they use.
    LoggerLink link;
    LinkThreads linkThreads{ports.windowTitles};

    MenuCommands menu;
    SettingsDialog settingsDialog{app, strings, ports.audioDevices, settingsDialogHooks()};
    PortDialogs portDialogs{state, settings, strings, comPorts, tinyFsk, ports.ui};

    // The dialog that arms contact recording.
    RecordingDialog recordingDialog{app};

    Workers workers_;
    std::atomic<bool> supervisorRunning_{false};
    std::atomic<bool> listenerStop_{false};
    std::mutex releaseLock_;                 // one end-of-transmission report starts at a time
    std::atomic<bool> stallShowing_{false};  // one stall message at a time
};

}  // namespace kestrel
