#include "window_automation.h"

#include <vector>

#include "text.h"

namespace kestrel::loggersim {
namespace {

constexpr int kMessageTextId = 0xFFFF;
// The file-name field: cmb13 (a ComboBoxEx32 holding an Edit of the same id) in the
// Explorer-style dialog, edt1 in the old style.
constexpr int kFileNameComboId = 0x47C;
constexpr int kFileNameEditId = 0x480;
constexpr UINT kTextTimeoutMs = 2000;
// How long a pressed dialog may take to go away.
constexpr int kCloseWaitMs = 1000;

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

struct DialogSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK collectDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((search->processId == 0 || owner == search->processId) && IsWindowVisible(window) &&
        classOf(window) == L"#32770")
        search->found.push_back(window);
    return TRUE;
}

// The visible dialogs of the process. A dialog shows only after its initialisation, so
// its caption and texts are set by then.
std::vector<HWND> dialogsOf(DWORD processId) {
    DialogSearch search{processId, {}};
    EnumWindows(collectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK findForeignControl(HWND child, LPARAM param) {
    const std::wstring name = classOf(child);
    if (name == L"Static" || name == L"Button") return TRUE;
    *reinterpret_cast<bool*>(param) = true;
    return FALSE;
}

// A message box holds its text in Static 0xFFFF and nothing but statics and buttons,
// which tells it from the program's own dialogs.
bool isMessageBox(HWND dialog) {
    const HWND text = GetDlgItem(dialog, kMessageTextId);
    if (text == nullptr || classOf(text) != L"Static") return false;
    bool foreign = false;
    EnumChildWindows(dialog, findForeignControl, reinterpret_cast<LPARAM>(&foreign));
    return !foreign;
}

// Posts the button's click to the dialog. A BM_CLICK sent to the button would move the
// focus, which under Wine can hold the other program for seconds.
void pressAndWait(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    for (int waited = 0; waited < kCloseWaitMs && IsWindowVisible(dialog); waited += 10) Sleep(10);
}

BOOL CALLBACK findFileNameEdit(HWND child, LPARAM param) {
    const int id = GetDlgCtrlID(child);
    if (classOf(child) != L"Edit" || (id != kFileNameComboId && id != kFileNameEditId)) return TRUE;
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
}

}  // namespace

std::wstring textOf(HWND window) {
    wchar_t text[4096] = {};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        kTextTimeoutMs, &result);
    return text;
}

std::optional<MessageBoxSeen> answerMessageBox(DWORD processId,
                                               const std::optional<std::string>& caption) {
    for (HWND dialog : dialogsOf(processId)) {
        if (!isMessageBox(dialog)) continue;
        MessageBoxSeen seen{win32::narrow(textOf(dialog)),
                            win32::narrow(textOf(GetDlgItem(dialog, kMessageTextId)))};
        if (caption && seen.caption != *caption) continue;
        pressAndWait(dialog, GetDlgItem(dialog, IDOK) ? IDOK : IDCANCEL);
        return seen;
    }
    return std::nullopt;
}

bool fillOpenFileDialog(DWORD processId, const std::string& path) {
    for (HWND dialog : dialogsOf(processId)) {
        HWND edit = nullptr;
        EnumChildWindows(dialog, findFileNameEdit, reinterpret_cast<LPARAM>(&edit));
        if (edit == nullptr) continue;
        const std::wstring wide = win32::widen(path);
        DWORD_PTR result = 0;
        SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                            SMTO_ABORTIFHUNG, kTextTimeoutMs, &result);
        pressAndWait(dialog, IDOK);
        return true;
    }
    return false;
}

std::optional<std::string> windowTitle(HWND window) {
    if (!IsWindow(window)) return std::nullopt;
    wchar_t title[512] = {};
    GetWindowTextW(window, title, 512);
    return win32::narrow(title);
}

}  // namespace kestrel::loggersim
