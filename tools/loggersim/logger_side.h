#pragma once
// The logger's half of the MMTTY link: the shared block "MMTTY", the registered
// message, the logger window (inside the parent windows that carry the ident titles),
// every notification received, and the log they are written to.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "loggersim/options.h"
#include "loggersim/scenario_runner.h"
#include "loggersim/traffic.h"

namespace kestrel::loggersim {

class LoggerSide {
  public:
    LoggerSide();
    ~LoggerSide();
    LoggerSide(const LoggerSide&) = delete;
    LoggerSide& operator=(const LoggerSide&) = delete;

    // Opens the log, creates the block and the windows. The outermost window of the
    // chain is frame when one is given (the interactive window). An error text on failure.
    std::optional<std::string> open(const LoggersimOptions& options, HINSTANCE instance,
                                    HWND frame);

    HWND loggerWindow() const { return loggerWindow_; }
    std::int64_t nowMs() const;
    const std::vector<Notification>& notifications() const { return received_; }
    // Kestrel's window: the value of the latest TXM_HANDLE, or nullptr.
    HWND engineWindow() const;

    // Posts a command to Kestrel's window and logs it; false when the post failed.
    bool send(HWND engine, std::uint32_t code, std::int64_t value);
    // Handles window messages until untilMs.
    void pump(std::int64_t untilMs);
    std::optional<std::vector<std::uint8_t>> sharedBytes(std::size_t offset,
                                                         std::size_t count) const;

    // Writes one line to standard output and the log file, at once.
    void log(const std::string& line);
    // Called for every command sent and notification received, after it is logged.
    void onTraffic(std::function<void(Direction, const Notification&)> listener) {
        listener_ = std::move(listener);
    }

  private:
    static LRESULT CALLBACK loggerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<std::string> createBlock(std::size_t size);
    std::optional<std::string> createWindows(const LoggersimOptions& options, HINSTANCE instance,
                                             HWND frame);
    void record(WPARAM code, LPARAM value);

    UINT mmttyMessage_ = 0;
    HANDLE mapping_ = nullptr;
    std::uint8_t* block_ = nullptr;
    std::size_t blockSize_ = 0;
    HWND loggerWindow_ = nullptr;
    std::vector<HWND> holders_;  // the parent windows we made, outermost first
    HANDLE logFile_ = INVALID_HANDLE_VALUE;
    LARGE_INTEGER start_{};
    LARGE_INTEGER frequency_{};
    std::vector<Notification> received_;
    std::function<void(Direction, const Notification&)> listener_;
};

}  // namespace kestrel::loggersim
