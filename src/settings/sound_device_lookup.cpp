#include "settings/sound_device_lookup.h"

#include <algorithm>

#include "text/wide_text.h"

namespace kestrel {

std::uint32_t findDevice(const std::vector<std::string>& productNames, std::string_view name) {
    for (std::size_t id = 0; id < productNames.size() && id < kNoDevice; ++id) {
        const std::string_view product = wideCharPrefix(productNames[id], kProductNameChars - 1);
        const std::size_t common = std::min(product.size(), name.size());
        if (product.substr(0, common) == name.substr(0, common))
            return static_cast<std::uint32_t>(id);
    }
    return kNoDevice;
}

std::uint32_t findInputDevice(AudioDevicesPort& devices, std::string_view name) {
    return findDevice(devices.inputDeviceNames(), name);
}

std::uint32_t findOutputDevice(AudioDevicesPort& devices, std::string_view name) {
    return findDevice(devices.outputDeviceNames(), name);
}

}  // namespace kestrel
