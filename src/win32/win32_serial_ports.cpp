#include "win32_serial_ports.h"

#include <windows.h>

#include <atomic>

#include "text.h"

namespace kestrel::win32 {
namespace {

// The line actions go to EscapeCommFunction as they are.
static_assert(static_cast<DWORD>(SerialLineAction::setRts) == SETRTS &&
              static_cast<DWORD>(SerialLineAction::clearRts) == CLRRTS &&
              static_cast<DWORD>(SerialLineAction::setDtr) == SETDTR &&
              static_cast<DWORD>(SerialLineAction::clearDtr) == CLRDTR &&
              static_cast<DWORD>(SerialLineAction::setBreak) == SETBREAK &&
              static_cast<DWORD>(SerialLineAction::clearBreak) == CLRBREAK);

// One open port. The handle is atomic because any thread may switch a line while the
// user-interface thread closes the port; a call after the close fails like one on a
// closed handle.
class Win32SerialPort final : public SerialPort {
  public:
    explicit Win32SerialPort(HANDLE handle) : handle_(handle) {}
    ~Win32SerialPort() override { close(); }

    bool close() override {
        const HANDLE handle = handle_.exchange(INVALID_HANDLE_VALUE);
        if (handle == INVALID_HANDLE_VALUE) return failed(ERROR_INVALID_HANDLE);
        return checked(CloseHandle(handle));
    }
    bool readState() override {
        dcb_.DCBlength = sizeof dcb_;
        return checked(GetCommState(handle_, &dcb_));
    }
    bool buildState(std::string_view definition) override {
        return checked(BuildCommDCBW(widen(definition).c_str(), &dcb_));
    }
    bool writeState() override { return checked(SetCommState(handle_, &dcb_)); }
    bool setQueueSizes(std::uint32_t input, std::uint32_t output) override {
        return checked(SetupComm(handle_, input, output));
    }
    bool setTimeouts(const SerialTimeouts& t) override {
        COMMTIMEOUTS timeouts{t.readInterval, t.readTotalMultiplier, t.readTotalConstant,
                              t.writeTotalMultiplier, t.writeTotalConstant};
        return checked(SetCommTimeouts(handle_, &timeouts));
    }
    bool lineAction(SerialLineAction action) override {
        return checked(EscapeCommFunction(handle_, static_cast<DWORD>(action)));
    }
    bool read(std::span<std::uint8_t> buffer, std::size_t& got) override {
        DWORD count = 0;
        const BOOL ok =
            ReadFile(handle_, buffer.data(), static_cast<DWORD>(buffer.size()), &count, nullptr);
        got = count;
        return checked(ok);
    }
    bool write(std::span<const std::uint8_t> bytes, std::size_t& written) override {
        DWORD count = 0;
        const BOOL ok =
            WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr);
        written = count;
        return checked(ok);
    }
    void cancelPending() override { CancelIo(handle_); }
    std::uint32_t lastError() override { return lastError_; }

  private:
    bool checked(BOOL ok) { return ok ? true : failed(GetLastError()); }
    bool failed(DWORD error) {
        lastError_ = error;
        return false;
    }

    std::atomic<HANDLE> handle_;
    DCB dcb_{};
    std::atomic<std::uint32_t> lastError_{0};
};

SerialOpenError openErrorOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            return SerialOpenError::fileNotFound;
        case ERROR_ACCESS_DENIED:
            return SerialOpenError::accessDenied;
        default:
            return SerialOpenError::other;
    }
}

}  // namespace

std::unique_ptr<SerialPort> Win32SerialPorts::open(std::string_view devicePath, SerialAccess access,
                                                   SerialOpenError& error) {
    const DWORD flags = access == SerialAccess::overlapped ? FILE_FLAG_OVERLAPPED : 0;
    const HANDLE handle = CreateFileW(widen(devicePath).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = openErrorOf(GetLastError());
        return nullptr;
    }
    error = SerialOpenError::none;
    return std::make_unique<Win32SerialPort>(handle);
}

bool Win32SerialPorts::deviceExists(std::string_view name) {
    wchar_t target[1024];
    return QueryDosDeviceW(widen(name).c_str(), target, 1024) != 0;
}

}  // namespace kestrel::win32
