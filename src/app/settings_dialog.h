#pragma once
// The Settings dialog's logic: sound devices and channels, tones, transmit mode, speed
// and the spectrum's width. Most choices wait in pending values until OK applies them
// together; the transmit-mode buttons open their port dialog at once. The pending
// values live as long as the program, so a choice left by Cancel shows at the next
// opening.
#include <functional>
#include <string>
#include <vector>

#include "app/app_ports.h"
#include "platform/audio_devices_port.h"
#include "platform/dialog_port.h"
#include "settings/settings_load.h"

namespace kestrel {

inline constexpr const char* kNoInputsMessage = "No sound inputs - could be unplugged";
inline constexpr const char* kNoOutputsMessage = "No sound outputs - could be unplugged";
inline constexpr const char* kChannelButtonError = " Error in SoundDlgButtons()";
inline constexpr const char* kBaudButtonError = " Baud Error in SoundDlgButtons()";
inline constexpr const char* kSpacingMessage = " Spacing between tones must be 2750Hz or less";
inline constexpr const char* kMarkToneMessage =
    "Mark Tone frequency must be \nbetween 250 and 3000Hz";
inline constexpr const char* kSpaceToneMessage =
    "Space Tone frequency must be \nbetween 250 and 3000Hz";
inline constexpr std::size_t kDeviceTableEntries = 50;

// What applying asks of the rest of the program.
struct SettingsDialogHooks {
    std::function<void()> reopenCapture;  // the sound input, with the new device and channel
    std::function<void()>
        startPlayback;  // the sound output and its supervisor, leaving a keyer mode
    std::function<void()> startTinyConfig;     // set the TinyFSK keyer's speed and polarity
    std::function<void()> updateComPortNames;  // in the logger's shared block
};

struct SettingsDialog {
    AppPorts app;
    SettingsStrings& strings;
    AudioDevicesPort& devices;
    SettingsDialogHooks hooks;

    // The dialog's initialisation: lists, buttons and fields from the settings.
    void open(DialogPort& dialog);
    // A control's command while the dialog is open.
    void command(DialogPort& dialog, int controlId);

    // The pending choices, kept between openings.
    int pendingRxChannel = 0;
    int pendingTxChannel = 0;
    int pendingBaudIndex = 0;
    int pendingDecodeMode = 0;
    int pendingTxMode = 0;
    bool used = false;      // the transmit mode is taken from the settings the first time only
    int selectedIndex = 0;  // the list entry named in the settings; shared by both lists
    std::vector<std::string> inputNames{};
    std::vector<std::string> outputNames{};

  private:
    int fillDeviceList(bool capture);
    void showButtons(DialogPort& dialog);
    void swapTones(DialogPort& dialog);
    void nextTonePair(DialogPort& dialog);
    void chooseSoundMode(DialogPort& dialog, int mode);
    void chooseKeyerMode(DialogPort& dialog, int mode, int templateId);
    void apply(DialogPort& dialog);
    void applyDevices(DialogPort& dialog);
    void applyTones(DialogPort& dialog);
    void applyTransmitMode();
    void applyWidth(DialogPort& dialog);
    void applySpeed();
    void message(const char* text);
    void writeInt(std::string_view key, int value, IntFormat format = IntFormat::plain);
};

// The display width field's value in spectrum bins: the larger of the width asked for
// and one and a half times the tone spacing, at the given sample rate, made odd and held
// within 115..731.
int spectrumBinsForWidth(int widthHz, double markHz, double spaceHz, int sampleRate);

// A number typed into a field, as the system reads one: leading blanks, an optional
// sign, then digits; 0 when there are none.
int fieldNumber(std::string_view text);

}  // namespace kestrel
