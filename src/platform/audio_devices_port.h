#pragma once
// The names of the sound devices, in device-number order, as the sound system reports
// them (product names of at most 31 characters on Windows), and the full names of the
// system's audio endpoints, which the Settings dialog lists.
#include <string>
#include <vector>

namespace kestrel {

class AudioDevicesPort {
  public:
    virtual ~AudioDevicesPort() = default;
    virtual std::vector<std::string> inputDeviceNames() = 0;
    virtual std::vector<std::string> outputDeviceNames() = 0;
    // The friendly names of the endpoints that are active or unplugged, capture (inputs)
    // or render (outputs); empty when there are none or the system cannot list them.
    virtual std::vector<std::string> endpointNames(bool capture) = 0;
};

}  // namespace kestrel
