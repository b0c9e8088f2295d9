#include "settings/settings_load.h"

#include <cstdint>
#include <string>

#include "modem_state.h"
#include "settings/sound_device_lookup.h"

namespace kestrel {
namespace {

// A tone the Settings dialog or the logger could not have set falls back to the standard
// pair; the limits are theirs, so that every tone they accept survives a restart.
double toneOrDefault(std::int32_t hz, std::int32_t fallback) {
    return hz < kLowestTone || hz > kHighestTone ? fallback : hz;
}

// A negative value counts as a very large one.
int atMostOrDefault(std::int32_t value, std::uint32_t highest, int fallback) {
    return static_cast<std::uint32_t>(value) > highest ? fallback : value;
}

int clampInt(std::int32_t value, int lowest, int highest) {
    if (value > highest) return highest;
    return value < lowest ? lowest : value;
}

int lowestBit(std::int32_t value) {
    return value & 1;
}

}  // namespace

int sampleRateForBaudIndex(int baudIndex) {
    switch (baudIndex) {
        case 1:
            return 13200;
        case 2:
            return 19800;
        default:
            return 12000;
    }
}

void loadSettings(const SettingsSnapshot& settings, AudioDevicesPort& devices, ModemState& state,
                  SettingsStrings& strings) {
    state.markFrequency = toneOrDefault(settings.readSettingInt("Markfrequency", 2125), 2125);
    state.spaceFrequency = toneOrDefault(settings.readSettingInt("Spacefrequency", 2295), 2295);

    const int baudIndex = settings.readSettingInt("Baud Rate", 0);
    state.baudIndex = baudIndex;
    state.bitOrSymbol = 0;  // the decision mode always starts at "Bit"
    state.sampleRate = sampleRateForBaudIndex(baudIndex);

    state.RXChannel = settings.readSettingInt("RXChannel", 1);
    state.TXChannel = settings.readSettingInt("TXChannel", 0);
    strings.RXnameid = settings.readSettingString("RXnameid", "Line In", kDeviceNameCapacity);
    state.rxDeviceId = findInputDevice(devices, strings.RXnameid);
    strings.TXnameid = settings.readSettingString("TXnameid", "Speakers", kDeviceNameCapacity);
    state.txDeviceId = findOutputDevice(devices, strings.TXnameid);
    // Capture would open here; it needs only rxDeviceId and RXChannel, and nothing read
    // below depends on it, so the caller opens it after the load.

    state.TXmode =
        atMostOrDefault(settings.readSettingInt("TXmode", kDookMode), kTxModes - 1, kDookMode);
    state.Decodemode = atMostOrDefault(settings.readSettingInt("Decodemode", kDecodeSelectiv),
                                       kDecodeModes - 1, kDecodeSelectiv);
    state.FFTDisplay = clampInt(settings.readSettingInt("FFTDisplay", 115), 115, 731);

    state.SquelchState = lowestBit(settings.readSettingInt("SquelchState", 0));
    state.CorrelateState = lowestBit(settings.readSettingInt("CorrelateState", 1));
    state.CorrelateStateSame = lowestBit(settings.readSettingInt("CorrelateStateSame", 1));
    state.Contest = lowestBit(settings.readSettingInt("Contest", 1));
    state.NewsigNewline = lowestBit(settings.readSettingInt("NewsigNewline", 0));

    state.afcOff = atMostOrDefault(settings.readSettingInt("AFC_ON_OFF", 0), 1, 0);

    strings.fskPortName = settings.readSettingString("FSKCOMport", "NONE", kPortNameCapacity);
    state.fskLine = settings.readSettingInt("DTRorRTSorTxD", 0);
    state.fskInvert = settings.readSettingInt("NORMorINVERT", 0);
    strings.pttPortName = settings.readSettingString("PTTCOMport", "NONE", kPortNameCapacity);
    state.pttLine = settings.readSettingInt("PTT", 0);
    strings.markPolarity = settings.readSettingString("Markpolarity", "H", kMarkPolarityCapacity);
}

std::string settingsFileProblem(IniFileState state) {
    switch (state) {
        case IniFileState::missing:
        case IniFileState::readable:
            return {};
        case IniFileState::unreadable:
            return "cannot be read";
        case IniFileState::tooLarge:
            return "is larger than " + std::to_string(kLargestIniFile / (1024 * 1024)) +
                   " MB, far more than settings take";
        case IniFileState::notText:
            return "is marked as UTF-16 text but is not UTF-16 text";
    }
    return {};
}

std::string settingsFileMessage(IniFileState state, std::string_view path) {
    const std::string problem = settingsFileProblem(state);
    if (problem.empty()) return {};
    return std::string(path) + " " + problem +
           ". Kestrel neither reads nor changes it: it runs with its standard settings and "
           "saves none until the file is mended or removed.";
}

}  // namespace kestrel
