#pragma once
// Kestrel's process as the logger starts it.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace kestrel::loggersim {

class EngineProcess {
  public:
    EngineProcess() = default;
    ~EngineProcess();
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    // Starts exe with the arguments; an error text on failure.
    std::optional<std::string> start(const std::wstring& exe, const std::wstring& arguments);
    DWORD id() const { return id_; }
    // The exit code once the process has ended.
    std::optional<std::int64_t> exitCode() const;
    // Waits up to ms for the process to end; true when it has.
    bool waitExit(DWORD ms) const;
    // Ends the process by force.
    void terminate() const;

  private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

}  // namespace kestrel::loggersim
