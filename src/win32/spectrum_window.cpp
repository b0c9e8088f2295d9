// The spectrum strip beside the control panel.
#include <windows.h>

#include "shell.h"

namespace kestrel::win32 {
namespace {

constexpr WPARAM kDestroyCommand = 106;

}  // namespace

LRESULT CALLBACK fftWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CHAR:
            PostMessageW(shell().windows.txWindow, WM_CHAR, wParam, lParam);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kDestroyCommand) DestroyWindow(window);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace kestrel::win32
