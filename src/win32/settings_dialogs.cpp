// The Settings dialog and the port dialogs it opens: their procedures hand every
// initialisation and button press to the Modem, which drives the controls through a
// DialogPort over the dialog window.
#include <windows.h>

#include <vector>

#include "platform/dialog_port.h"
#include "shell.h"
#include "text.h"
#include "text/ui_ids.h"

namespace kestrel::win32 {
namespace {

INT_PTR CALLBACK portDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

class Win32Dialog final : public DialogPort {
  public:
    explicit Win32Dialog(HWND dialog) : dialog_(dialog) {}

    void setItemText(int id, std::string_view text) override {
        SetDlgItemTextW(dialog_, id, widen(text).c_str());
    }
    std::string itemText(int id, std::size_t maxChars) override {
        std::vector<wchar_t> text(maxChars + 1, L'\0');
        GetDlgItemTextW(dialog_, id, text.data(), static_cast<int>(text.size()));
        return narrow(text.data());
    }
    void checkRadioButton(int first, int last, int checkedId) override {
        CheckRadioButton(dialog_, first, last, checkedId);
    }
    void enableItem(int id, bool enabled) override {
        EnableWindow(GetDlgItem(dialog_, id), enabled ? TRUE : FALSE);
    }
    void setFocus(int id) override { SetFocus(GetDlgItem(dialog_, id)); }
    void addListItem(int listId, std::string_view text) override {
        const std::wstring wide = widen(text);
        send(listId, CB_ADDSTRING, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    void selectListItem(int listId, int index) override {
        send(listId, CB_SETCURSEL, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    int selectedListItem(int listId) override {
        const LRESULT index = send(listId, CB_GETCURSEL, LB_GETCURSEL, 0, 0);
        return index < 0 ? kNoListItem : static_cast<int>(index);
    }
    void end(int result) override { EndDialog(dialog_, result); }
    int runDialog(int templateId) override {
        return static_cast<int>(DialogBoxParamW(shell().instance, MAKEINTRESOURCEW(templateId),
                                                dialog_, portDialogProc, templateId));
    }

  private:
    // The same request to a drop-down list or a list box.
    LRESULT send(int id, UINT comboMessage, UINT listMessage, WPARAM wParam, LPARAM lParam) {
        const HWND item = GetDlgItem(dialog_, id);
        wchar_t kind[16] = {};
        GetClassNameW(item, kind, 16);
        const bool combo = lstrcmpiW(kind, L"ComboBox") == 0;
        return SendMessageW(item, combo ? comboMessage : listMessage, wParam, lParam);
    }

    HWND dialog_;
};

bool isButtonPress(WPARAM wParam) {
    return HIWORD(wParam) == BN_CLICKED;
}

INT_PTR CALLBACK portDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Dialog port(dialog);
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            shell().modem.portDialogOpened(port, static_cast<int>(lParam));
            SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            return TRUE;
        case WM_COMMAND:
            if (!isButtonPress(wParam)) return FALSE;
            shell().modem.portDialogCommand(
                port, static_cast<int>(GetWindowLongPtrW(dialog, DWLP_USER)), LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK settingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    Win32Dialog port(dialog);
    switch (message) {
        case WM_INITDIALOG:
            shell().modem.settingsDialogOpened(port);
            return TRUE;
        case WM_COMMAND:
            if (!isButtonPress(wParam)) return FALSE;
            shell().modem.settingsDialogCommand(port, LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace kestrel::win32
