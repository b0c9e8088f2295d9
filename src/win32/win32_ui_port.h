#pragma once
// The user interface as the core sees it: message boxes, the status bar, the control
// panel's captions, the menu's check marks, the title and the spectrum strip. Callable
// from any thread: a message box raised on a worker thread is modal on that thread, and
// the window calls reach the user-interface thread through the window system.
#include "platform/ui_port.h"
#include "shell_windows.h"

namespace kestrel::win32 {

class Win32UiPort final : public UiPort {
  public:
    explicit Win32UiPort(ShellWindows& windows) : windows_(windows) {}

    int messageBox(std::string_view text, std::string_view caption, unsigned flags) override;
    void setStatusText(int part, std::string_view text) override;
    void setControlCaption(int controlId, std::string_view text) override;
    void checkMenuItem(int itemId, bool checked) override;
    void enableMenuItem(int itemId, bool enabled) override;
    void setWindowTitle(std::string_view title) override;
    void requestSpectrumRepaint() override;

  private:
    ShellWindows& windows_;
};

}  // namespace kestrel::win32
