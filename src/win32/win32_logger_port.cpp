#include "win32_logger_port.h"

#include "shell_windows.h"

namespace kestrel::win32 {

Win32LoggerPort::Win32LoggerPort(std::int64_t loggerWindow)
    : loggerWindow_(windowOf(loggerWindow)), mmttyMessage_(RegisterWindowMessageW(L"MMTTY")) {}

bool Win32LoggerPort::post(std::uint32_t code, std::int64_t value) {
    return PostMessageW(loggerWindow_, mmttyMessage_, static_cast<WPARAM>(code),
                        static_cast<LPARAM>(value)) != FALSE;
}

}  // namespace kestrel::win32
