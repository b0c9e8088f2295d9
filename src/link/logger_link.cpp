#include "link/logger_link.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "link/shared_block.h"
#include "platform/logger_codes.h"
#include "settings/settings_load.h"
#include "text/captions.h"
#include "text/logger_texts.h"
#include "text/ui_ids.h"

namespace kestrel {
namespace {

constexpr std::uint32_t kMainWindowPollMs = 5;
constexpr std::uint64_t kFirstUnknownCommand = 31;
constexpr std::uint64_t kFirstNotification = 32768;

// Switch-word bits Kestrel acts on; the others are stored and echoed unchanged.
constexpr std::int64_t kAfcBit = 4;
constexpr std::int64_t kNetBit = 8;
constexpr std::int64_t kSquelchBit = 128;
constexpr std::int64_t kReverseBit = 256;

// Characters the logger's push-to-talk commands hand to the transmit window.
constexpr std::int64_t kEscape = 27;  // stop transmitting at once
constexpr std::int64_t kCtrlT = 20;   // toggle transmit

std::int64_t truncated(double hz) {
    return static_cast<std::int64_t>(hz);
}

}  // namespace

bool LoggerLink::connectLogger() {
    if (!uiThreadIdTaken) {
        uiThreadId = ports.mainWindow.uiThreadId();
        uiThreadIdTaken = true;
    }
    const std::span<std::byte> opened = ports.sharedBlockSource.openSharedBlock();
    if (!opened.empty()) sharedBlock = opened;
    if (sharedBlock.empty()) {
        ports.ui.messageBox(kStandaloneMessage, kErrorCaption, kMbOk | kMbTopMost);
        ports.mainWindow.postQuit();
        return false;
    }
    prepareSharedBlock(sharedBlock,
                       ports.settings.readString("FSKCOMport", "NONE", kPortNameCapacity),
                       ports.settings.readString("PTTCOMport", "NONE", kPortNameCapacity));
    sendParameterReport();
    post(TXM_THREAD, uiThreadId);
    while (ports.mainWindow.mainWindowHandle() == 0) ports.clock.sleepMs(kMainWindowPollMs);
    post(TXM_HANDLE, ports.mainWindow.mainWindowHandle());
    post(TXM_START, 0);
    sendParameterReport();
    ports.workers.startLinkThreads(*this);
    return true;
}

void LoggerLink::updateComPortNames(std::string_view fskPortName, std::string_view pttPortName) {
    writeComPortNames(sharedBlock, fskPortName, pttPortName);
}

void LoggerLink::levelHeartbeatTick() {
    post(TXM_LEVEL, kReportedLevel);
    storeAliveFlag(sharedBlock);
}

void LoggerLink::sendParameterReport() {
    const double mark = state.markFrequency;
    const double space = state.spaceFrequency;
    post(TXM_WIDTH, kReportedWidth);
    post(TXM_BAUD, kReportedBaud);
    post(TXM_MARK, truncated(mark));
    post(TXM_SPACE, truncated(space));
    post(TXM_NOTCH, kReportedNotch);
    post(TXM_DEFSHIFT, truncated(std::fabs(space - mark)));
    handleLoggerCommand(RXM_SETSWITCH, ports.settings.readInt("N1MM_SWITCH", kDefaultSwitchWord));
    post(TXM_VIEW, kReportedView);
    post(TXM_RESO, kReportedReso);
    post(TXM_LPF, kReportedLpf);
    post(TXM_PTTEVENT, 0);
}

void LoggerLink::handleLoggerCommand(std::uint64_t code, std::int64_t value) {
    if (code >= kFirstNotification) return;
    if (code >= kFirstUnknownCommand) {
        char text[64];
        std::snprintf(text, sizeof text, kUnknownCommandFormat, static_cast<unsigned>(code));
        showError(text);
        return;
    }
    switch (code) {
        case RXM_HANDLE:
            if (value != loggerWindow) showError(kDifferentHandleMessage);
            return;
        case RXM_REQHANDLE:
            post(TXM_HANDLE, ports.mainWindow.mainWindowHandle());
            return;
        case RXM_EXIT:
            ports.mainWindow.postClose();
            return;
        case RXM_PTT:
            pushToTalk(value);
            return;
        case RXM_CHAR:
            ports.mainWindow.postTxChar(value);
            return;
        case RXM_REQPARA:
            post(TXM_SWITCH, kRequestedParameters);
            return;
        case RXM_SETBAUD:
            post(TXM_BAUD, kReportedBaud);
            return;
        case RXM_SETMARK:
            setTone(value, state.markFrequency, kMarkRangeMessage, TXM_MARK);
            return;
        case RXM_SETSPACE:
            setTone(value, state.spaceFrequency, kSpaceRangeMessage, TXM_SPACE);
            return;
        case RXM_SETSWITCH:
            applySwitchWord(value);
            return;
        case RXM_SETHAM:
            reloadTones();
            return;
        case RXM_SHOWSETUP:
            ports.mainWindow.postMenuCommand(IDM_SETTINGS);
            return;
        case RXM_ENBFOCUS:
            enableFocus();
            return;
        default:  // the remaining commands, and 30, need nothing from Kestrel
            return;
    }
}

// A box runs its own message loop, in which the logger's next commands arrive: a burst of
// bad ones would stack box on box. One at a time; what comes while it shows is dropped.
void LoggerLink::showError(std::string_view text) {
    if (errorShowing.exchange(true)) return;
    ports.ui.messageBox(text, kErrorCaption, kMbOk);
    errorShowing = false;
}

void LoggerLink::pushToTalk(std::int64_t value) {
    const int txState = state.txState;
    switch (value) {
        case 0:
            ports.mainWindow.postTxChar(kEscape);
            return;
        case 1:
            if (txState != kTxIdle) ports.mainWindow.postTxChar(kCtrlT);
            return;
        case 2:
            if (txState == kTxIdle) ports.mainWindow.postTxChar(kCtrlT);
            return;
        case 4:
            ports.txBuffer.clearTxBuffer();
            return;
        default:
            showError(kPttDefaultMessage);
            return;
    }
}

// An out-of-range tone keeps the current one, which is reported back either way; a new
// tone makes the AFC start over.
void LoggerLink::setTone(std::int64_t hz, std::atomic<double>& tone, const char* rangeMessage,
                         std::uint32_t reply) {
    if (hz >= kLowestTone && hz <= kHighestTone) {
        tone = static_cast<double>(hz);
    } else {
        showError(rangeMessage);
    }
    state.markOffset = 0.0;
    state.spaceOffset = 0.0;
    state.averageOffset = 0.0;
    post(reply, truncated(tone));
}

// A stored tone out of range (the file was edited by hand) keeps the current one.
void LoggerLink::reloadTones() {
    const auto reload = [this](const char* key, int fallback, std::atomic<double>& tone) {
        const std::int64_t hz = ports.settings.readInt(key, fallback);
        if (hz >= kLowestTone && hz <= kHighestTone) tone = static_cast<double>(hz);
    };
    reload("Markfrequency", 2125, state.markFrequency);
    reload("Spacefrequency", 2295, state.spaceFrequency);
    state.averageOffset = 0.0;
}

void LoggerLink::enableFocus() {
    if (reportedOnce) return;
    sendParameterReport();
    post(TXM_PTTEVENT, 0);
    post(TXM_FIGEVENT, 0);
    reportedOnce = 1;
}

// Stores the word with only the bits Kestrel could honour and echoes the word as the
// logger sent it.
void LoggerLink::applySwitchWord(std::int64_t word) {
    if (state.switchesLocked) return;
    std::int64_t stored = word & ~(kAfcBit | kNetBit | kSquelchBit | kReverseBit);

    const bool squelch = (word & kSquelchBit) != 0;
    if (squelch) stored += kSquelchBit;
    state.SquelchState = squelch ? 1 : 0;
    ports.ui.checkMenuItem(IDM_SQUELCH_ON, squelch);
    ports.settings.writeString("SquelchState", squelch ? "1" : "0");

    const bool reverse = (word & kReverseBit) != 0;
    if (reverse) stored += kReverseBit;
    state.rxReverse = reverse ? 1 : 0;

    const bool afc = (word & kAfcBit) != 0;
    if (afc) stored += kAfcBit;
    state.afcOff = afc ? 0 : 1;
    ports.ui.setControlCaption(IDC_AFC_BUTTON, afc ? kAfcOnCaption : kAfcOffCaption);

    applyNet(word, stored);

    const auto stored32 = static_cast<std::int32_t>(static_cast<std::uint32_t>(stored));
    state.switchWord = stored32;
    ports.settings.writeString("N1MM_SWITCH", std::to_string(stored32));
    post(TXM_SWITCH, word);
}

// Net follows the receive tuning only with the sound-card tone modes; the serial-line
// and 5 kHz modes show "  FSK" instead.
void LoggerLink::applyNet(std::int64_t word, std::int64_t& stored) {
    const bool toneMode = netCapableMode(state.TXmode);
    if ((word & kNetBit) != 0 && toneMode) {
        state.netOn = 1;
        stored += kNetBit;
        ports.ui.setStatusText(kNetStatusPart, kNetOnStatus);
    } else {
        state.netOn = 0;
        state.txToneOffset = 0.0;
        ports.ui.setStatusText(kNetStatusPart, kNetOffStatus);
    }
    if (toneMode) return;
    stored &= ~kNetBit;
    ports.ui.setStatusText(kNetStatusPart, kFskStatus);
}

}  // namespace kestrel
