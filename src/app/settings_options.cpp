#include "app/settings_options.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "modem_state.h"
#include "settings/ini_file.h"
#include "settings/settings_load.h"
#include "text/numbers.h"
#include "transmit/tx_frame.h"

namespace kestrel {
namespace {

constexpr std::array<std::string_view, 4> kOptions = {"--settings", "--baud", "--mark", "--space"};
constexpr std::array<std::string_view, 3> kBaudRates = {"45.45", "50", "75"};  // by baud index
// The tone filters pass about one baud either side of their tone: tones closer than this
// many bauds run into each other's filter and decode as garbage.
constexpr double kNarrowestShiftInBauds = 1.1;
constexpr double kWidestShift = 2750;

// kestrel-cli has no sound devices; the device numbers it loads are never used.
class NoSoundDevices : public AudioDevicesPort {
  public:
    std::vector<std::string> inputDeviceNames() override { return {}; }
    std::vector<std::string> outputDeviceNames() override { return {}; }
    std::vector<std::string> endpointNames(bool) override { return {}; }
};

struct Taken {
    std::array<std::optional<std::string>, kOptions.size()> values;  // in kOptions order
};

// Moves the options and their values out of args.
bool takeOptions(std::vector<std::string>& args, Taken& taken, std::string& error) {
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        std::size_t option = 0;
        while (option < kOptions.size() && arg != kOptions[option] &&
               !(arg.starts_with(kOptions[option]) &&
                 arg.substr(kOptions[option].size()).starts_with('=')))
            ++option;
        if (option == kOptions.size()) {
            rest.push_back(args[i]);
        } else if (arg.size() > kOptions[option].size()) {
            taken.values[option] = std::string(arg.substr(kOptions[option].size() + 1));
        } else if (i + 1 < args.size()) {
            taken.values[option] = args[++i];
        } else {
            error = std::string(kOptions[option]) + " needs a value";
            return false;
        }
    }
    args = std::move(rest);
    return true;
}

std::optional<int> baudIndexOf(std::string_view text) {
    for (std::size_t i = 0; i < kBaudRates.size(); ++i)
        if (text == kBaudRates[i]) return static_cast<int>(i);
    return std::nullopt;
}

std::optional<double> toneOf(std::string_view text) {
    const std::optional<double> hz = numberIn<double>(text);
    if (!hz || *hz < kLowestTone || *hz > kHighestTone) return std::nullopt;
    return hz;
}

std::string toneError(std::string_view option, std::string_view text) {
    return std::string(option) + ": '" + std::string(text) +
           "' is not a tone; give a frequency in Hz from " + std::to_string(kLowestTone) + " to " +
           std::to_string(kHighestTone);
}

// Tones the decoders can tell apart at the speed of sampleRate: empty, or what is wrong.
std::string shiftError(double mark, double space, int sampleRate) {
    const double shift = std::abs(mark - space);
    const double narrowest =
        std::round(kNarrowestShiftInBauds * sampleRate / static_cast<double>(kElementSamples));
    if (shift >= narrowest && shift <= kWidestShift) return {};
    char text[160];
    std::snprintf(text, sizeof text,
                  "mark %g Hz and space %g Hz are %g Hz apart; at this speed the tones must be "
                  "%g to %g Hz apart",
                  mark, space, shift, narrowest, kWidestShift);
    return text;
}

// The file is checked before the load, which would put every default into state.
bool loadSettingsFile(const std::string& path, ModemState& state, std::string& error) {
    const SettingsSnapshot settings = SettingsStore{path}.snapshot();
    const IniFileState file = settings.fileState();
    if (file == IniFileState::missing) {
        error = "--settings: " + path + ": no such file";
        return false;
    }
    if (file != IniFileState::readable) {
        error = "--settings: " + path + " " + settingsFileProblem(file);
        return false;
    }
    NoSoundDevices devices;
    SettingsStrings strings;
    loadSettings(settings, devices, state, strings);
    return true;
}

}  // namespace

bool applySettingsOptions(std::vector<std::string>& args, ModemState& state, std::string& error) {
    std::vector<std::string> remaining = args;
    Taken taken;
    if (!takeOptions(remaining, taken, error)) return false;
    const auto& [settings, baud, mark, space] = taken.values;

    std::optional<int> baudIndex;
    if (baud && !(baudIndex = baudIndexOf(*baud))) {
        error = "--baud: '" + *baud + "' is not a speed; use 45.45, 50 or 75";
        return false;
    }
    std::optional<double> markHz, spaceHz;
    if (mark && !(markHz = toneOf(*mark))) {
        error = toneError("--mark", *mark);
        return false;
    }
    if (space && !(spaceHz = toneOf(*space))) {
        error = toneError("--space", *space);
        return false;
    }
    if (settings && !loadSettingsFile(*settings, state, error)) return false;

    const double markNow = markHz.value_or(state.markFrequency.load());
    const double spaceNow = spaceHz.value_or(state.spaceFrequency.load());
    const int rate = baudIndex ? sampleRateForBaudIndex(*baudIndex) : state.sampleRate.load();
    if (!(error = shiftError(markNow, spaceNow, rate)).empty()) return false;

    if (baudIndex) {
        state.baudIndex = *baudIndex;
        state.sampleRate = rate;
    }
    if (markHz) state.markFrequency = *markHz;
    if (spaceHz) state.spaceFrequency = *spaceHz;
    args = std::move(remaining);
    return true;
}

}  // namespace kestrel
