#pragma once
// Kestrel's side of the MMTTY protocol: the handshake with the host logger, the answers
// to its commands, the parameter report and the level heartbeat. Everything runs on
// the user-interface thread except levelHeartbeatTick, which the heartbeat thread calls.
#include <atomic>
#include <cstdint>
#include <span>
#include <string_view>

#include "modem_state.h"
#include "platform/clock_port.h"
#include "platform/logger_port.h"
#include "platform/main_window_port.h"
#include "platform/shared_block_port.h"
#include "platform/ui_port.h"
#include "settings/settings_access.h"
#include "transmit/tx_buffer_control.h"

namespace kestrel {

struct LoggerLink;

// Starts the ident thread and the level heartbeat at the end of the handshake.
// LinkThreads runs them on threads of their own.
class LinkWorkers {
  public:
    virtual ~LinkWorkers() = default;
    virtual void startLinkThreads(LoggerLink& link) = 0;
};

struct LinkPorts {
    LoggerPort& logger;
    UiPort& ui;
    MainWindowPort& mainWindow;
    TxBufferControl& txBuffer;
    SettingsAccess& settings;
    SharedBlockPort& sharedBlockSource;
    ClockPort& clock;
    LinkWorkers& workers;
};

inline constexpr std::uint32_t kHeartbeatPeriodMs = 57;

struct LoggerLink {
    LoggerLink(ModemState& modemState, const LinkPorts& linkPorts, std::int64_t logger)
        : state(modemState), ports(linkPorts), loggerWindow(logger) {}

    // Opens the shared block, fills it, reports to the logger and starts the link's
    // threads. False (after telling the user and asking the message loop to end) when
    // the logger's block does not exist.
    bool connectLogger();
    void handleLoggerCommand(std::uint64_t code, std::int64_t value);
    void sendParameterReport();
    // One beat of the level heartbeat: tell the logger the level and that Kestrel is
    // alive.
    void levelHeartbeatTick();
    // Writes the COM port names into the shared block again (Settings confirmed).
    void updateComPortNames(std::string_view fskPortName, std::string_view pttPortName);

    ModemState& state;
    LinkPorts ports;
    std::int64_t loggerWindow;
    std::uint32_t uiThreadId = 0;
    bool uiThreadIdTaken = false;
    std::span<std::byte> sharedBlock;
    int reportedOnce = 0;

  private:
    std::atomic<bool> errorShowing{false};  // a message box of ours is up

    void post(std::uint32_t code, std::int64_t value) { ports.logger.post(code, value); }
    void showError(std::string_view text);
    void applySwitchWord(std::int64_t word);
    void applyNet(std::int64_t word, std::int64_t& stored);
    void pushToTalk(std::int64_t value);
    void setTone(std::int64_t hz, std::atomic<double>& tone, const char* rangeMessage,
                 std::uint32_t reply);
    void reloadTones();
    void enableFocus();
};

}  // namespace kestrel
