#pragma once
// Notifications to the logger: the registered message "MMTTY" posted to its window.
#include <windows.h>

#include <cstdint>

#include "platform/logger_port.h"

namespace kestrel::win32 {

class Win32LoggerPort final : public LoggerPort {
  public:
    explicit Win32LoggerPort(std::int64_t loggerWindow);
    bool post(std::uint32_t code, std::int64_t value) override;
    // The message number both programs registered for "MMTTY".
    UINT mmttyMessage() const { return mmttyMessage_; }

  private:
    HWND loggerWindow_;
    UINT mmttyMessage_;
};

}  // namespace kestrel::win32
