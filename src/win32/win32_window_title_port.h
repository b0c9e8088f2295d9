#pragma once
// Parents and titles of the logger's windows.
#include <windows.h>

#include "platform/window_title_port.h"
#include "shell_windows.h"

namespace kestrel::win32 {

class Win32WindowTitlePort final : public WindowTitlePort {
  public:
    std::int64_t parentWindow(std::int64_t window) override {
        return handleValue(GetParent(windowOf(window)));
    }
    std::u16string windowTitle(std::int64_t window) override {
        wchar_t title[100] = {};
        const int length = GetWindowTextW(windowOf(window), title, 100);
        return std::u16string(reinterpret_cast<const char16_t*>(title),
                              length > 0 ? static_cast<std::size_t>(length) : 0);
    }
};

}  // namespace kestrel::win32
