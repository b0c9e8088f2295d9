// The control panel's dialog procedure. The panel never keeps the focus: after every
// command it goes back to the transmit window, so typing always reaches the transmit
// buffer.
#include "app/control_panel.h"

#include <windows.h>

#include "shell.h"

namespace kestrel::win32 {

INT_PTR CALLBACK controlPanelProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Shell& s = shell();
    switch (message) {
        case WM_INITDIALOG:
            s.windows.controlPanel = dialog;
            s.modem.controlPanelCreated();
            return TRUE;
        case WM_SETFOCUS:
            SetFocus(s.windows.txWindow);
            return TRUE;
        case WM_CHAR:
            PostMessageW(s.windows.txWindow, WM_CHAR, wParam, lParam);
            return FALSE;
        case WM_COMMAND:
            s.modem.controlPanelPressed(LOWORD(wParam));
            SetFocus(s.windows.txWindow);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace kestrel::win32
