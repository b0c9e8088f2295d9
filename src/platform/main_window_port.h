#pragma once
// What the core asks of the main window and the thread that owns it. The Win32 shell
// posts the messages to `mainWindow` and `txWindow`; tests record the calls.
#include <cstdint>

namespace kestrel {

class MainWindowPort {
  public:
    virtual ~MainWindowPort() = default;
    // The main window's handle as an integer; 0 until the window exists.
    virtual std::int64_t mainWindowHandle() = 0;
    // Identifier of the calling (user-interface) thread.
    virtual std::uint32_t uiThreadId() = 0;
    // Posts a close message to the main window, which ends the program.
    virtual void postClose() = 0;
    // Asks the message loop to end.
    virtual void postQuit() = 0;
    // Posts a character message to `txWindow` (it is queued for transmission there).
    virtual void postTxChar(std::int64_t character) = 0;
    // Posts a menu command to the main window, as if the user had chosen it.
    virtual void postMenuCommand(int itemId) = 0;
    // Posts a size message to the main window, which lays itself out again.
    virtual void postSize() = 0;
};

}  // namespace kestrel
