// The recording dialog ("Select .WAV path and time"): the boxes' texts go to the Modem,
// which checks them, stores them and arms recording; Browse runs the system's folder
// browser.
#include <windows.h>
// after windows.h, which they need
#include <objbase.h>
#include <shlobj.h>

#include "app/recording_dialog.h"
#include "shell.h"
#include "text.h"
#include "text/captions.h"

namespace kestrel::win32 {
namespace {

std::string boxText(HWND dialog, int id, std::size_t chars) {
    std::wstring text(chars + 1, L'\0');
    const UINT got = GetDlgItemTextW(dialog, id, text.data(), static_cast<int>(text.size()));
    text.resize(got);
    return narrow(text);
}

void setBoxText(HWND dialog, int id, const std::string& text) {
    SetDlgItemTextW(dialog, id, widen(text).c_str());
}

void browseFolder(HWND dialog) {
    // The new-style browser needs COM on this thread; a second call only counts up.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const std::wstring title = widen(kBrowseTitle);
    BROWSEINFOW info{};
    info.hwndOwner = dialog;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (chosen == nullptr) return;
    wchar_t path[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    if (!found) {
        shell().ui.messageBox(kBrowseFailed, kErrorCaption, kMbOk);
        return;
    }
    setBoxText(dialog, IDC_WAV_PATH, withBackslash(narrow(path)));
}

void confirm(HWND dialog) {
    RecordingDialogTexts entered;
    entered.path = boxText(dialog, IDC_WAV_PATH, kRecordingPathChars);
    for (std::size_t k = 0; k < entered.times.size(); ++k)
        entered.times[k] = boxText(dialog, kRecordingTimeBoxes[k], kTimeBoxChars);
    const RecordingDialogResult result = shell().modem.recordingDialogConfirmed(entered);
    if (result.show) setBoxText(dialog, result.show->boxId, result.show->text);
    if (result.confirmed) EndDialog(dialog, IDOK);
}

}  // namespace

INT_PTR CALLBACK recordingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            const RecordingDialogTexts texts = shell().modem.recordingDialogOpened();
            setBoxText(dialog, IDC_WAV_PATH, texts.path);
            for (std::size_t k = 0; k < texts.times.size(); ++k)
                setBoxText(dialog, kRecordingTimeBoxes[k], texts.times[k]);
            SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_WAV_BROWSE:
                    browseFolder(dialog);
                    return TRUE;
                case IDOK:
                    confirm(dialog);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

}  // namespace kestrel::win32
