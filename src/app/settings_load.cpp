#include "app/settings_load.h"

#include <cstdint>

#include "app/sound_device_lookup.h"

namespace kestrel {
namespace {

// Tones outside 250..2999 Hz fall back to the standard pair.
double toneOrDefault(std::int32_t hz, std::int32_t fallback) {
    return hz < 250 || hz > 2999 ? fallback : hz;
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

void loadSettings(const SettingsStore& store, AudioDevicesPort& devices, ModemState& state,
                  SettingsStrings& strings) {
    state.markFrequency = toneOrDefault(store.readSettingInt("Markfrequency", 2125), 2125);
    state.spaceFrequency = toneOrDefault(store.readSettingInt("Spacefrequency", 2295), 2295);

    const int baudIndex = store.readSettingInt("Baud Rate", 0);
    state.baudIndex = baudIndex;
    state.bitOrSymbol = 0;  // the decision mode always starts at "Bit"
    state.sampleRate = sampleRateForBaudIndex(baudIndex);

    state.RXChannel = store.readSettingInt("RXChannel", 1);
    state.TXChannel = store.readSettingInt("TXChannel", 0);
    strings.RXnameid = store.readSettingString("RXnameid", "Line In", kDeviceNameCapacity);
    state.rxDeviceId = findInputDevice(devices, strings.RXnameid);
    strings.TXnameid = store.readSettingString("TXnameid", "Speakers", kDeviceNameCapacity);
    state.txDeviceId = findOutputDevice(devices, strings.TXnameid);
    // Capture would open here; it needs only rxDeviceId and RXChannel, and nothing read
    // below depends on it, so the caller opens it after the load.

    state.TXmode =
        atMostOrDefault(store.readSettingInt("TXmode", kDookMode), kTxModes - 1, kDookMode);
    state.Decodemode = atMostOrDefault(store.readSettingInt("Decodemode", kDecodeSelectiv),
                                       kDecodeModes - 1, kDecodeSelectiv);
    state.FFTDisplay = clampInt(store.readSettingInt("FFTDisplay", 115), 115, 731);

    state.SquelchState = lowestBit(store.readSettingInt("SquelchState", 0));
    state.CorrelateState = lowestBit(store.readSettingInt("CorrelateState", 1));
    state.CorrelateStateSame = lowestBit(store.readSettingInt("CorrelateStateSame", 1));
    state.Contest = lowestBit(store.readSettingInt("Contest", 1));
    state.NewsigNewline = lowestBit(store.readSettingInt("NewsigNewline", 0));

    state.afcOff = atMostOrDefault(store.readSettingInt("AFC_ON_OFF", 0), 1, 0);

    strings.fskPortName = store.readSettingString("FSKCOMport", "NONE", kPortNameCapacity);
    state.fskLine = store.readSettingInt("DTRorRTSorTxD", 0);
    state.fskInvert = store.readSettingInt("NORMorINVERT", 0);
    strings.pttPortName = store.readSettingString("PTTCOMport", "NONE", kPortNameCapacity);
    state.pttLine = store.readSettingInt("PTT", 0);
    strings.markPolarity = store.readSettingString("Markpolarity", "H", kMarkPolarityCapacity);
}

}  // namespace kestrel
