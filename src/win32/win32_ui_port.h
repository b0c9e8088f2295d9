#pragma once
// The user interface as the core sees it: message boxes, the status bar, the control
// panel's captions, the menu's check marks, the title and the spectrum strip. Callable
// from any thread: a message box raised on a worker thread is modal on that thread. Texts
// set from a worker thread are handed to the user-interface thread as posted work, so a
// worker never waits for that thread (which may itself be waiting for the worker).
#include <deque>
#include <functional>
#include <mutex>

#include "platform/ui_port.h"
#include "shell_windows.h"

namespace kestrel::win32 {

class Win32UiPort final : public UiPort {
  public:
    explicit Win32UiPort(ShellWindows& windows)
        : windows_(windows), uiThread_(GetCurrentThreadId()) {}

    int messageBox(std::string_view text, std::string_view caption, unsigned flags) override;
    void setStatusText(int part, std::string_view text) override;
    void setControlCaption(int controlId, std::string_view text) override;
    void checkMenuItem(int itemId, bool checked) override;
    void enableMenuItem(int itemId, bool enabled) override;
    void setWindowTitle(std::string_view title) override;
    void requestSpectrumRepaint() override;

    // Runs the work queued for the user-interface thread; the main window calls it when
    // told to look at the queue. The message carries nothing: any process may post it.
    void runQueuedWork();

  private:
    void onUiThread(std::function<void()> work);

    ShellWindows& windows_;
    DWORD uiThread_;
    std::mutex queueLock_;
    std::deque<std::function<void()>> queued_;
};

}  // namespace kestrel::win32
