// The transmit window: hidden, zero-sized, it holds the keyboard focus and receives every
// character typed into Kestrel or sent by the logger.
#include <windows.h>

#include "shell.h"

namespace kestrel::win32 {

LRESULT CALLBACK txWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_CHAR) return DefWindowProcW(window, message, wParam, lParam);
    shell().modem.transmitWindowCharacter(wParam);
    return 0;
}

}  // namespace kestrel::win32
