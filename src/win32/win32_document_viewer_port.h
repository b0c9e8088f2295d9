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
    DocumentOpening openDocument(const std::string& path) override {
        const HINSTANCE result = ShellExecuteW(GetDesktopWindow(), L"open", widen(path).c_str(),
                                               nullptr, nullptr, SW_SHOWNORMAL);
        // Results of 32 and below are errors.
        switch (const INT_PTR code = reinterpret_cast<INT_PTR>(result)) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
                return DocumentOpening::missing;
            case SE_ERR_NOASSOC:
            case SE_ERR_ASSOCINCOMPLETE:
                return DocumentOpening::noViewer;
            default:
                return code > 32 ? DocumentOpening::opened : DocumentOpening::failed;
        }
    }
};

}  // namespace kestrel::win32
