#pragma once
// Finding a sound device by the product name stored in the settings.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "modem_state.h"
#include "platform/audio_devices_port.h"

namespace kestrel {

// The sound system's product-name field: 32 wide characters, the terminator included.
constexpr std::size_t kProductNameChars = 32;

// The number of the first device whose product name matches name, or kNoDevice.
// The two are compared character by character until either ends; the device matches
// when every character before that point was equal. So a stored name matches a product
// name that starts with it, and a long name (an endpoint's friendly name) matches the
// 31 characters the product-name field keeps of it; an empty name matches device 0.
std::uint32_t findDevice(const std::vector<std::string>& productNames, std::string_view name);

std::uint32_t findInputDevice(AudioDevicesPort& devices, std::string_view name);
std::uint32_t findOutputDevice(AudioDevicesPort& devices, std::string_view name);

}  // namespace kestrel
