#pragma once
// The settings Kestrel reads once at start-up, before any window exists.
#include <cstddef>
#include <string>
#include <string_view>

#include "modem_state.h"
#include "platform/audio_devices_port.h"
#include "settings/settings_store.h"

namespace kestrel {

// Buffer sizes, in characters with the terminator: what a stored value can hold.
constexpr std::size_t kDeviceNameCapacity = 100;  // RXnameid, TXnameid: 99 characters
constexpr std::size_t kPortNameCapacity = 20;     // FSKCOMport, PTTCOMport: 19
constexpr std::size_t kMarkPolarityCapacity = 2;  // Markpolarity: one letter

// The text settings, read on the user-interface thread.
struct SettingsStrings {
    std::string RXnameid = "Line In";   // product name of the sound input
    std::string TXnameid = "Speakers";  // product name of the sound output
    std::string fskPortName = "NONE";   // FSKCOMport: FSK keying or TinyFSK keyer port
    std::string pttPortName = "NONE";   // PTTCOMport: push-to-talk port
    std::string markPolarity = "H";     // Markpolarity: TinyFSK mark is "H"igh or "L"ow
};

// The processing rate for a baud index: 264 samples per bit at 45.45, 50 and 75 baud;
// any other index runs at 12000.
int sampleRateForBaudIndex(int baudIndex);

// Reads every start-up setting into state and strings from one read of the file
// (store.snapshot()), checking each as it goes, and finds the two sound devices by name.
// A file that is not readable gives every default. Capture is not opened here: the
// caller opens it on state.rxDeviceId afterwards, then frees the contact-recording queue
// and starts the capture supervisor, in that order.
void loadSettings(const SettingsSnapshot& settings, AudioDevicesPort& devices, ModemState& state,
                  SettingsStrings& strings);

// Why a file in state is not read ("cannot be read"); empty for a readable file and for
// a missing one (the first start).
std::string settingsFileProblem(IniFileState state);

// What the user is told, once, about a settings file at path that the load found in
// state: the problem and what Kestrel does about it; empty when there is none.
std::string settingsFileMessage(IniFileState state, std::string_view path);

}  // namespace kestrel
