#include "win32_file_dialog_port.h"

#include <windows.h>
// after windows.h, which they need
#include <commdlg.h>

#include <string>

#include "text.h"

namespace kestrel::win32 {
namespace {

constexpr DWORD kPathChars = 260;

// The filters are pairs of texts ending in an empty one, hence the embedded nulls.
const wchar_t kTextFilter[] = L"Text Files (*.TXT)\0*.txt\0All Files (*.*)\0*.*\0";
const wchar_t kSoundFilter[] = L"Sound Files (*.wav)\0*.wav\0All Files (*.*)\0*.*\0";

enum class DialogKind { save, open };

FileDialogResult runDialog(HWND owner, DialogKind kind, const wchar_t* filter,
                           const wchar_t* defaultExtension, std::string_view title,
                           std::string_view initialName) {
    wchar_t path[kPathChars] = {};
    wchar_t fileTitle[kPathChars] = {};
    const std::wstring wideName = widen(initialName).substr(0, kPathChars - 1);
    wideName.copy(path, wideName.size());
    const std::wstring wideTitle = widen(title);

    OPENFILENAMEW record{};
    record.lStructSize = sizeof record;
    record.hwndOwner = owner;
    record.lpstrFilter = filter;
    record.lpstrFile = path;
    record.nMaxFile = kPathChars;
    record.lpstrFileTitle = fileTitle;
    record.nMaxFileTitle = kPathChars;
    record.lpstrTitle = wideTitle.c_str();
    record.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    record.lpstrDefExt = defaultExtension;

    const BOOL confirmed =
        kind == DialogKind::save ? GetSaveFileNameW(&record) : GetOpenFileNameW(&record);
    if (confirmed) return {kFileDialogConfirmed, narrow(path)};
    const DWORD error = CommDlgExtendedError();
    return {error == 0 ? kFileDialogCancelled : static_cast<int>(error), narrow(path)};
}

}  // namespace

FileDialogResult Win32FileDialogPort::saveTextFileDialog(std::string_view title,
                                                         std::string_view initialName) {
    return runDialog(windows_.mainWindow, DialogKind::save, kTextFilter, L"txt", title,
                     initialName);
}

FileDialogResult Win32FileDialogPort::openSoundFileDialog(std::string_view title,
                                                          std::string_view initialName) {
    return runDialog(windows_.mainWindow, DialogKind::open, kSoundFilter, L"wav", title,
                     initialName);
}

}  // namespace kestrel::win32
