#include "app/settings_dialog.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "app/captions.h"
#include "app/sound_device_lookup.h"
#include "app/ui_ids.h"
#include "app/wide_text.h"
#include "frontend/spectrum_view.h"

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
            return kRxMonoButton;
        case 1:
            return kRxLeftButton;
        case 2:
            return kRxRightButton;
        default:
            return 0;
    }
}

int txChannelButton(int channel) {
    constexpr int buttons[] = {kTxMonoButton, kTxLeftButton, kTxRightButton};
    return channel >= 0 && channel < 3 ? buttons[channel] : 0;
}

int baudButton(int baudIndex) {
    constexpr int buttons[] = {kBaud45Button, kBaud50Button, kBaud75Button};
    return baudIndex >= 0 && baudIndex < 3 ? buttons[baudIndex] : 0;
}

// PFSK has no button of its own: none of the four is marked; an unknown mode shows DOOK.
int txModeButton(int mode) {
    switch (mode) {
        case kAfskMode:
            return kAfskTxButton;
        case kPfskMode:
            return 0;
        case kFskMode:
            return kFskTxButton;
        case kTinyFskMode:
            return kTinyFskTxButton;
        default:
            return kDookTxButton;
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
    for (const std::string& name : outputNames) dialog.addListItem(kOutputDeviceList, name);
    for (const std::string& name : inputNames) dialog.addListItem(kInputDeviceList, name);

    pendingRxChannel = state.RXChannel;
    pendingTxChannel = state.TXChannel;
    pendingBaudIndex = state.baudIndex;
    showButtons(dialog);
    dialog.selectListItem(kInputDeviceList, inputIndex);
    dialog.selectListItem(kOutputDeviceList, outputIndex);

    dialog.setItemText(kMarkField, fieldText(app.settings.readInt("Markfrequency", 2125)));
    dialog.setItemText(kSpaceField, fieldText(app.settings.readInt("Spacefrequency", 2295)));
    const bool lowPair = state.markFrequency == 1275.0 && state.spaceFrequency == 1445.0;
    dialog.setItemText(kTonePairButton, lowPair ? kHighCaption : kLowCaption);
    const auto width = static_cast<std::uint32_t>(state.sampleRate) *
                       static_cast<std::uint32_t>(state.FFTDisplay) / kBinsPerRate;
    dialog.setItemText(kWidthField, fieldText(width));

    pendingDecodeMode = state.Decodemode;
    showButtons(dialog);
}

void SettingsDialog::showButtons(DialogPort& dialog) {
    if (const int rx = rxChannelButton(pendingRxChannel))
        dialog.checkRadioButton(kRxMonoButton, kRxRightButton, rx);
    else
        message(kChannelButtonError);
    if (const int tx = txChannelButton(pendingTxChannel))
        dialog.checkRadioButton(kTxMonoButton, kTxRightButton, tx);
    else
        message(kChannelButtonError);
    if (const int baud = baudButton(pendingBaudIndex))
        dialog.checkRadioButton(kBaud45Button, kBaud75Button, baud);
    else
        message(kBaudButtonError);
    dialog.checkRadioButton(kAfskTxButton, kFskTxButton, txModeButton(pendingTxMode));
}

void SettingsDialog::command(DialogPort& dialog, int controlId) {
    switch (controlId) {
        case kRxMonoButton:
        case kRxLeftButton:
        case kRxRightButton:
            pendingRxChannel = controlId - kRxMonoButton;
            showButtons(dialog);
            return;
        case kTxMonoButton:
        case kTxLeftButton:
        case kTxRightButton:
            pendingTxChannel = controlId - kTxMonoButton;
            showButtons(dialog);
            return;
        case kBaud45Button:
        case kBaud50Button:
        case kBaud75Button:
            pendingBaudIndex = controlId - kBaud45Button;
            showButtons(dialog);
            return;
        case kSwapButton:
            swapTones(dialog);
            return;
        case kTonePairButton:
            nextTonePair(dialog);
            return;
        case kAfskTxButton:
            chooseSoundMode(dialog, kAfskMode);
            return;
        case kDookTxButton:
            chooseSoundMode(dialog, kDookMode);
            return;
        case kFskTxButton:
            chooseKeyerMode(dialog, kFskMode, kFskSetupDialog);
            return;
        case kTinyFskTxButton:
            chooseKeyerMode(dialog, kTinyFskMode, kTinyPortDialog);
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
    const std::string mark = dialog.itemText(kMarkField, kToneFieldChars);
    const std::string space = dialog.itemText(kSpaceField, kToneFieldChars);
    dialog.setItemText(kMarkField, space);
    dialog.setItemText(kSpaceField, mark);
    dialog.setFocus(kOkButton);
}

// "High" loads the high pair and offers the low one; "Low" the other way round; any
// other caption loads the low pair.
void SettingsDialog::nextTonePair(DialogPort& dialog) {
    const std::string caption = dialog.itemText(kTonePairButton, kToneFieldChars);
    const bool high = !caption.empty() && caption.front() == 'H';
    dialog.setItemText(kMarkField, high ? kHighMark : kLowMark);
    dialog.setItemText(kSpaceField, high ? kHighSpace : kLowSpace);
    if (high) dialog.setItemText(kTonePairButton, kLowCaption);
    if (!caption.empty() && caption.front() == 'L')
        dialog.setItemText(kTonePairButton, kHighCaption);
    dialog.setFocus(kOkButton);
}

void SettingsDialog::chooseSoundMode(DialogPort& dialog, int mode) {
    pendingTxMode = mode;
    showButtons(dialog);
    dialog.runDialog(kPttSetupDialog);
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
    if (!modeText.empty()) app.ui.setControlCaption(kModeButton, modeText);

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
    const int input = dialog.selectedListItem(kInputDeviceList);
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
    const int output = dialog.selectedListItem(kOutputDeviceList);
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
    const int mark = fieldNumber(dialog.itemText(kMarkField, kToneFieldChars));
    const int space = fieldNumber(dialog.itemText(kSpaceField, kToneFieldChars));
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
    const int width = fieldNumber(dialog.itemText(kWidthField, kToneFieldChars));
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
