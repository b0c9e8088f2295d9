#pragma once
// Sound devices for tests: fixed lists of product names in device-number order.
#include <string>
#include <utility>
#include <vector>

#include "platform/audio_devices_port.h"

namespace kestrel {

class FakeAudioDevicesPort : public AudioDevicesPort {
  public:
    FakeAudioDevicesPort() = default;
    FakeAudioDevicesPort(std::vector<std::string> inputs, std::vector<std::string> outputs)
        : inputs(std::move(inputs)), outputs(std::move(outputs)) {}

    std::vector<std::string> inputDeviceNames() override { return inputs; }
    std::vector<std::string> outputDeviceNames() override { return outputs; }
    std::vector<std::string> endpointNames(bool capture) override {
        return capture ? inputEndpoints : outputEndpoints;
    }

    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
    std::vector<std::string> inputEndpoints;
    std::vector<std::string> outputEndpoints;
};

}  // namespace kestrel
