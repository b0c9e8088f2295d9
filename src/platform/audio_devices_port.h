#pragma once
// The names of the sound devices, in device-number order, as the sound system reports
// them (product names of at most 31 characters on Windows).
#include <string>
#include <vector>

namespace kestrel {

class AudioDevicesPort {
public:
    virtual ~AudioDevicesPort() = default;
    virtual std::vector<std::string> inputDeviceNames() = 0;
    virtual std::vector<std::string> outputDeviceNames() = 0;
};

}  // namespace kestrel
