// The About box: the version and an OK button.
#include <windows.h>

#include <string_view>

#include "app/menu_commands.h"
#include "resource.h"
#include "shell.h"

namespace kestrel::win32 {

static_assert(std::string_view(KESTREL_VERSION_TEXT) == kVersionText,
              "the resource script shows the program's version");

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace kestrel::win32
