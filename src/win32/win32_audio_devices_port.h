#pragma once
// The wave devices' product names, in device-number order, and the audio endpoints'
// friendly names from the multimedia device API.
#include "platform/audio_devices_port.h"

namespace kestrel::win32 {

class Win32AudioDevicesPort final : public AudioDevicesPort {
  public:
    std::vector<std::string> inputDeviceNames() override;
    std::vector<std::string> outputDeviceNames() override;
    std::vector<std::string> endpointNames(bool capture) override;
};

}  // namespace kestrel::win32
