#pragma once
// Reading and answering the windows of another process: Kestrel's message boxes, its
// open-file dialog, its window title.
#include <windows.h>

#include <optional>
#include <string>

#include "loggersim/scenario_runner.h"

namespace kestrel::loggersim {

// A visible message box of the process (of any process when processId is 0) with that
// caption (any when none): its caption and text are read and OK is pressed.
std::optional<MessageBoxSeen> answerMessageBox(DWORD processId,
                                               const std::optional<std::string>& caption);

// Puts path into the file-name field of an open-file dialog of the process and presses
// OK; false when the process shows none.
bool fillOpenFileDialog(DWORD processId, const std::string& path);

// WM_GETTEXT, which reaches a control of another process (GetWindowText would not ask it).
std::wstring textOf(HWND window);

// The title of a window, nullopt when it is not a window.
std::optional<std::string> windowTitle(HWND window);

}  // namespace kestrel::loggersim
