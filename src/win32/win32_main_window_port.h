#pragma once
// The main window and the transmit window as the core reaches them: by posted messages.
#include "platform/main_window_port.h"
#include "shell_windows.h"

namespace kestrel::win32 {

class Win32MainWindowPort final : public MainWindowPort {
  public:
    explicit Win32MainWindowPort(ShellWindows& windows) : windows_(windows) {}

    std::int64_t mainWindowHandle() override { return handleValue(windows_.mainWindow); }
    std::uint32_t uiThreadId() override { return GetCurrentThreadId(); }
    void postClose() override { PostMessageW(windows_.mainWindow, WM_CLOSE, 0, 0); }
    void postQuit() override { PostQuitMessage(0); }
    void postTxChar(std::int64_t character) override {
        PostMessageW(windows_.txWindow, WM_CHAR, static_cast<WPARAM>(character), 0);
    }
    void postMenuCommand(int itemId) override {
        PostMessageW(windows_.mainWindow, WM_COMMAND, static_cast<WPARAM>(itemId), 0);
    }
    void postSize() override { PostMessageW(windows_.mainWindow, WM_SIZE, 0, 0); }

  private:
    ShellWindows& windows_;
};

}  // namespace kestrel::win32
