#pragma once
// Documents opened with the shell's "open" verb.
#include <windows.h>
// after windows.h, which they need
#include <shellapi.h>

#include "platform/document_viewer_port.h"
#include "text.h"

namespace kestrel::win32 {

class Win32DocumentViewerPort final : public DocumentViewerPort {
  public:
    bool openDocument(const std::string& path) override {
        const HINSTANCE result = ShellExecuteW(GetDesktopWindow(), L"open", widen(path).c_str(),
                                               nullptr, nullptr, SW_SHOWNORMAL);
        // Results of 32 and below are errors.
        return reinterpret_cast<INT_PTR>(result) > 32;
    }
};

}  // namespace kestrel::win32
