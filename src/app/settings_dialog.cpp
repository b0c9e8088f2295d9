#include "app/settings_dialog.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "frontend/spectrum_view.h"
#include "settings/sound_device_lookup.h"
#include "text/captions.h"
#include "text/ui_ids.h"
#include "text/wide_text.h"

namespace kestrel {
namespace {

constexpr std::size_t kToneFieldChars = 5;
constexpr std::size_t kNameChars = 99;  // a device-table entry without its terminator
constexpr int kWidestSpacing = 2750;
constexpr int kBinsPerRate = 3240;  // bins x sampleRate / 3240 is the width in Hz
constexpr int kFewestBins = 115;
constexpr int kMostBins = 731;

// The standard tone pairs the tone button steps between.
constexpr const char* kHighMark = "2125";
constexpr const char* kHighSpace = "2295";
constexpr const char* kLowMark = "1275";
constexpr const char* kLowSpace = "1445";
constexpr const char* kHighCaption = "High";
constexpr const char* kLowCaption = "Low";

// " %4.3d": a blank, then at least three digits in a field of four.
std::string fieldText(long value) {
    char text[32];
    std::snprintf(text, sizeof text, " %4.3ld", value);
    return text;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// Each radio group: the button a pending value marks, or 0 when the value has none.
int rxChannelButton(int channel) {
    switch (channel) {
        case 0:
        case 3:
            return IDC_RX_MONO;
        case 1:
            return IDC_RX_LEFT;
        case 2:
            return IDC_RX_RIGHT;
        default:
            return 0;
    }
}

int txChannelButton(int channel) {
    constexpr int buttons[] = {IDC_TX_MONO, IDC_TX_LEFT, IDC_TX_RIGHT};
    return channel >= 0 && channel < 3 ? buttons[channel] : 0;
}

int baudButton(int baudIndex) {
    constexpr int buttons[] = {IDC_BAUD_45, IDC_BAUD_50, IDC_BAUD_75};
    return baudIndex >= 0 && baudIndex < 3 ? buttons[baudIndex] : 0;
}

// PFSK has no button of its own: none of the four is marked; an unknown mode shows DOOK.
int txModeButton(int mode) {
    switch (mode) {
        case kAfskMode:
            return IDC_AFSK_TX;
        case kPfskMode:
            return 0;
        case kFskMode:
            return IDC_FSK_TX;
        case kTinyFskMode:
            return IDC_TINYFSK_TX;
        default:
            return IDC_DOOK_TX;
    }
}

}  // namespace

int fieldNumber(std::string_view text) {
    constexpr std::int64_t kLimit = std::numeric_limits<int>::max();
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = std::min(value * 10 + (text[i] - '0'), kLimit);
    }
    return static_cast<int>(negative ? -value : value);
}

int spectrumBinsForWidth(int widthHz, double markHz, double spaceHz, int sampleRate) {
    const auto spacing = static_cast<std::int64_t>(std::fabs(spaceHz - markHz) * 1.5);
    const std::int64_t hz = std::max<std::int64_t>(widthHz, spacing);
    std::int64_t bins = sampleRate > 0 ? hz * kBinsPerRate / sampleRate : kFewestBins;
    if (bins % 2 == 0) ++bins;
    return static_cast<int>(std::clamp<std::int64_t>(bins, kFewestBins, kMostBins));
}

void SettingsDialog::message(const char* text) {
    app.ui.messageBox(text, kErrorCaption, kMbOk | kMbTopMost);
}

void SettingsDialog::writeInt(std::string_view key, int value, IntFormat format) {
    app.settings.writeString(key, formatSettingInt(value, format));
}

// The endpoint names of one direction into its table; the index of the one the settings
// name, or the shared index as it was when none does.
int SettingsDialog::fillDeviceList(bool capture) {
    const std::string stored =
        capture ? app.settings.readString("RXnameid", "No Line In available", kDeviceNameCapacity)
                : app.settings.readString("TXnameid", "No Speakers avaialble", kDeviceNameCapacity);
    std::vector<std::string>& table = capture ? inputNames : outputNames;
    table.clear();
    const std::vector<std::string> endpoints = devices.endpointNames(capture);
    if (endpoints.empty()) {
        message(capture ? kNoInputsMessage : kNoOutputsMessage);
        return selectedIndex;
    }
    for (const std::string& endpoint : endpoints) {
        // The list shows entries up to the first empty one.
        if (table.size() == kDeviceTableEntries || endpoint.empty()) break;
        table.emplace_back(wideCharPrefix(endpoint, kNameChars));
        if (equalIgnoringCase(table.back(), stored)) selectedIndex = int(table.size()) - 1;
    }
    return selectedIndex;
}

void SettingsDialog::open(DialogPort& dialog) {
    ModemState& state = app.state;
    if (!used) {
        used = true;
        pendingRxChannel = state.RXChannel;
        pendingTxChannel = state.TXChannel;
        pendingTxMode = state.TXmode;
        pendingDecodeMode = state.Decodemode;
    }
    const int inputIndex = fillDeviceList(true);
    const int outputIndex = fillDeviceList(false);
    for (const std::string& name : outputNames) dialog.addListItem(IDC_OUTPUT_LIST, name);
    for (const std::string& name : inputNames) dialog.addListItem(IDC_INPUT_LIST, name);

    pendingRxChannel = state.RXChannel;
    pendingTxChannel = state.TXChannel;
    pendingBaudIndex = state.baudIndex;
    showButtons(dialog);
    dialog.selectListItem(IDC_INPUT_LIST, inputIndex);
    dialog.selectListItem(IDC_OUTPUT_LIST, outputIndex);

    dialog.setItemText(IDC_MARK, fieldText(app.settings.readInt("Markfrequency", 2125)));
    dialog.setItemText(IDC_SPACE, fieldText(app.settings.readInt("Spacefrequency", 2295)));
    const bool lowPair = state.markFrequency == 1275.0 && state.spaceFrequency == 1445.0;
    dialog.setItemText(IDC_TONE_PAIR, lowPair ? kHighCaption : kLowCaption);
    const auto width = static_cast<std::uint32_t>(state.sampleRate) *
                       static_cast<std::uint32_t>(state.FFTDisplay) / kBinsPerRate;
    dialog.setItemText(IDC_WIDTH, fieldText(width));

    pendingDecodeMode = state.Decodemode;
    showButtons(dialog);
}

void SettingsDialog::showButtons(DialogPort& dialog) {
    if (const int rx = rxChannelButton(pendingRxChannel))
        dialog.checkRadioButton(IDC_RX_MONO, IDC_RX_RIGHT, rx);
    else
        message(kChannelButtonError);
    if (const int tx = txChannelButton(pendingTxChannel))
        dialog.checkRadioButton(IDC_TX_MONO, IDC_TX_RIGHT, tx);
    else
        message(kChannelButtonError);
    if (const int baud = baudButton(pendingBaudIndex))
        dialog.checkRadioButton(IDC_BAUD_45, IDC_BAUD_75, baud);
    else
        message(kBaudButtonError);
    dialog.checkRadioButton(IDC_AFSK_TX, IDC_FSK_TX, txModeButton(pendingTxMode));
}

void SettingsDialog::command(DialogPort& dialog, int controlId) {
    switch (controlId) {
        case IDC_RX_MONO:
        case IDC_RX_LEFT:
        case IDC_RX_RIGHT:
            pendingRxChannel = controlId - IDC_RX_MONO;
            showButtons(dialog);
            return;
        case IDC_TX_MONO:
        case IDC_TX_LEFT:
        case IDC_TX_RIGHT:
            pendingTxChannel = controlId - IDC_TX_MONO;
            showButtons(dialog);
            return;
        case IDC_BAUD_45:
        case IDC_BAUD_50:
        case IDC_BAUD_75:
            pendingBaudIndex = controlId - IDC_BAUD_45;
            showButtons(dialog);
            return;
        case IDC_SWAP:
            swapTones(dialog);
            return;
        case IDC_TONE_PAIR:
            nextTonePair(dialog);
            return;
        case IDC_AFSK_TX:
            chooseSoundMode(dialog, kAfskMode);
            return;
        case IDC_DOOK_TX:
            chooseSoundMode(dialog, kDookMode);
            return;
        case IDC_FSK_TX:
            chooseKeyerMode(dialog, kFskMode, IDD_FSK_SETUP);
            return;
        case IDC_TINYFSK_TX:
            chooseKeyerMode(dialog, kTinyFskMode, IDD_TINY_PORT);
            return;
        case kOkButton:
            apply(dialog);
            return;
        case kCancelButton:
            dialog.end(kCancelButton);
            return;
        default:
            return;
    }
}

void SettingsDialog::swapTones(DialogPort& dialog) {
    const std::string mark = dialog.itemText(IDC_MARK, kToneFieldChars);
    const std::string space = dialog.itemText(IDC_SPACE, kToneFieldChars);
    dialog.setItemText(IDC_MARK, space);
    dialog.setItemText(IDC_SPACE, mark);
    dialog.setFocus(kOkButton);
}

// "High" loads the high pair and offers the low one; "Low" the other way round; any
// other caption loads the low pair.
void SettingsDialog::nextTonePair(DialogPort& dialog) {
    const std::string caption = dialog.itemText(IDC_TONE_PAIR, kToneFieldChars);
    const bool high = !caption.empty() && caption.front() == 'H';
    dialog.setItemText(IDC_MARK, high ? kHighMark : kLowMark);
    dialog.setItemText(IDC_SPACE, high ? kHighSpace : kLowSpace);
    if (high) dialog.setItemText(IDC_TONE_PAIR, kLowCaption);
    if (!caption.empty() && caption.front() == 'L') dialog.setItemText(IDC_TONE_PAIR, kHighCaption);
    dialog.setFocus(kOkButton);
}

void SettingsDialog::chooseSoundMode(DialogPort& dialog, int mode) {
    pendingTxMode = mode;
    showButtons(dialog);
    dialog.runDialog(IDD_PTT_SETUP);
}

// A keyer mode needs its port: cancelling the port dialog keeps the mode chosen before.
void SettingsDialog::chooseKeyerMode(DialogPort& dialog, int mode, int templateId) {
    const int previous = pendingTxMode;
    pendingTxMode = mode;
    showButtons(dialog);
    if (dialog.runDialog(templateId) == 0) pendingTxMode = previous;
    showButtons(dialog);
}

void SettingsDialog::apply(DialogPort& dialog) {
    ModemState& state = app.state;
    applyDevices(dialog);
    applyTones(dialog);

    state.Decodemode = pendingDecodeMode;
    writeInt("Decodemode", pendingDecodeMode);
    const std::string_view modeText = decodeModeText(pendingDecodeMode);
    if (!modeText.empty()) app.ui.setControlCaption(IDC_MODE_BUTTON, modeText);

    applyTransmitMode();
    hooks.updateComPortNames();
    applyWidth(dialog);
    applySpeed();
    if (state.TXmode == kTinyFskMode) hooks.startTinyConfig();
    dialog.end(kOkButton);
    app.mainWindow.postSize();
}

// An empty selection (no endpoints, or the stored name not listed) keeps the stored
// device.
void SettingsDialog::applyDevices(DialogPort& dialog) {
    ModemState& state = app.state;
    const int input = dialog.selectedListItem(IDC_INPUT_LIST);
    if (input >= 0 && input < int(inputNames.size())) {
        strings.RXnameid = inputNames[input];
        app.settings.writeString("RXnameid", strings.RXnameid);
        state.rxDeviceId = findInputDevice(devices, strings.RXnameid);
    }
    state.RXChannel = pendingRxChannel;
    hooks.reopenCapture();
    writeInt("RXid", static_cast<int>(state.rxDeviceId.load()));
    writeInt("RXChannel", pendingRxChannel);

    if (!soundCardMode(pendingTxMode)) return;
    const int output = dialog.selectedListItem(IDC_OUTPUT_LIST);
    if (output >= 0 && output < int(outputNames.size())) {
        strings.TXnameid = outputNames[output];
        app.settings.writeString("TXnameid", strings.TXnameid);
        state.txDeviceId = findOutputDevice(devices, strings.TXnameid);
    }
    writeInt("TXid", static_cast<int>(state.txDeviceId.load()));
    state.TXChannel = pendingTxChannel;
    writeInt("TXChannel", pendingTxChannel);
    strings.fskPortName = "NONE";
    app.settings.writeString("FSKCOMport", strings.fskPortName);
    state.txSoundState = kReopenRequest;
}

void SettingsDialog::applyTones(DialogPort& dialog) {
    ModemState& state = app.state;
    const int mark = fieldNumber(dialog.itemText(IDC_MARK, kToneFieldChars));
    const int space = fieldNumber(dialog.itemText(IDC_SPACE, kToneFieldChars));
    if (std::abs(static_cast<long>(space) - mark) > kWidestSpacing) {
        message(kSpacingMessage);
    } else {
        if (mark >= kLowestTone && mark <= kHighestTone)
            state.markFrequency = mark;
        else
            message(kMarkToneMessage);
        if (space >= kLowestTone && space <= kHighestTone)
            state.spaceFrequency = space;
        else
            message(kSpaceToneMessage);
    }
    writeInt("Markfrequency", static_cast<int>(state.markFrequency), IntFormat::fourDigits);
    writeInt("Spacefrequency", static_cast<int>(state.spaceFrequency), IntFormat::fourDigits);
}

// Leaving a keyer mode for a sound mode brings the sound output back. (The TinyFSK
// mode, like FSK, runs without it.)
void SettingsDialog::applyTransmitMode() {
    ModemState& state = app.state;
    if (!soundCardMode(state.TXmode) && soundCardMode(pendingTxMode)) {
        state.TXmode = pendingTxMode;
        hooks.startPlayback();
    }
    state.TXmode = pendingTxMode;
    writeInt("TXmode", pendingTxMode);
    if (netCapableMode(pendingTxMode)) {
        state.netOn = 1;
        app.ui.setStatusText(kNetStatusPart, kNetOnStatus);
    } else {
        state.netOn = 0;
        state.txToneOffset = 0.0;
        app.ui.setStatusText(kNetStatusPart, kFskStatus);
    }
}

void SettingsDialog::applyWidth(DialogPort& dialog) {
    ModemState& state = app.state;
    const int width = fieldNumber(dialog.itemText(IDC_WIDTH, kToneFieldChars));
    state.FFTDisplay =
        spectrumBinsForWidth(width, state.markFrequency, state.spaceFrequency, state.sampleRate);
    writeInt("FFTDisplay", state.FFTDisplay, IntFormat::fourDigits);
}

void SettingsDialog::applySpeed() {
    ModemState& state = app.state;
    if (pendingBaudIndex == state.baudIndex) return;
    state.sampleRate = sampleRateForBaudIndex(pendingBaudIndex);
    state.txSoundState = kReopenRequest;
    state.baudIndex = pendingBaudIndex;
    writeInt("Baud Rate", pendingBaudIndex);
}

}  // namespace kestrel
