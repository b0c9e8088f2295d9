#pragma once
// The windows and the menu of the running program. The window procedures fill them in
// as the windows are made; ports called from any thread read them.
#include <windows.h>

#include <atomic>
#include <cstdint>

namespace kestrel::win32 {

struct ShellWindows {
    std::atomic<HWND> mainWindow{nullptr};
    std::atomic<HMENU> menu{nullptr};
    std::atomic<HWND> statusBar{nullptr};
    std::atomic<HWND> controlPanel{nullptr};
    std::atomic<HWND> txWindow{nullptr};
    std::atomic<HWND> fftWindow{nullptr};
};

// Posted to the main window to say that work waits in the user-interface port's queue.
// Its parameters mean nothing.
inline constexpr UINT kRunOnUiThread = WM_APP + 1;

inline std::int64_t handleValue(HWND window) {
    return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(window));
}

inline HWND windowOf(std::int64_t handle) {
    return reinterpret_cast<HWND>(static_cast<std::intptr_t>(handle));
}

}  // namespace kestrel::win32
