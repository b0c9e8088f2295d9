#pragma once
// COM ports through the Windows communications functions.
#include "platform/serial_port.h"

namespace kestrel::win32 {

class Win32SerialPorts final : public SerialPorts {
  public:
    std::unique_ptr<SerialPort> open(std::string_view devicePath, SerialAccess access,
                                     SerialOpenError& error) override;
    bool deviceExists(std::string_view name) override;
};

}  // namespace kestrel::win32
