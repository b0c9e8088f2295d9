// The main window: the hub of the user-interface thread. Logger messages, menu commands
// and the control panel's wishes arrive here and go to the Modem; what comes back is
// window work.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "app/main_window_layout.h"
#include "app/menu_commands.h"
#include "resource.h"
#include "shell.h"
#include "text.h"
#include "text/captions.h"
#include "text/ui_ids.h"

namespace kestrel::win32 {
namespace {

constexpr const char* kMoveRectFailure = "Kestrel Modem GetWindowRect 877 failure";
constexpr const char* kLayoutRectFailure = "GetWindowRect 924 failure";

WindowRect windowRectOf(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

void showRectFailure(const char* text) {
    shell().ui.messageBox(text, kErrorCaption, kMbOk | kMbTopMost);
}

// The creation sequence: the transmitter's ports, the logger, then the transmit window,
// the menu's marks, the control panel and the spectrum strip. False when there is no
// logger.
bool createChildren(HWND window) {
    Shell& s = shell();
    s.modem.prepareTransmitOutput();
    if (!s.modem.connectLogger()) return false;

    s.windows.txWindow = CreateWindowExW(0, classNames().tx, nullptr, WS_CHILD | WS_BORDER, 0, 0, 0,
                                         0, window, nullptr, s.instance, nullptr);
    if (s.modem.prepareMenus()) {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    const HWND panel = CreateDialogParamW(s.instance, MAKEINTRESOURCEW(IDD_CONTROL_PANEL), window,
                                          controlPanelProc, 0);
    s.windows.controlPanel = panel;
    PostMessageW(panel, WM_COMMAND, kPanelFocusCommand, 0);
    s.windows.fftWindow =
        CreateWindowExW(0, classNames().fft, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, 0, 0,
                        window, nullptr, s.instance, nullptr);
    return true;
}

void savePositionOnMove(HWND window) {
    RECT r;
    if (!GetWindowRect(window, &r)) {
        showRectFailure(kMoveRectFailure);
        return;
    }
    shell().modem.windowPlaced(windowRectOf(r), PositionSource::move);
}

// The window's width beyond its client area: its borders.
int frameWidth(HWND window, const RECT& outer) {
    RECT client{};
    GetClientRect(window, &client);
    return (outer.right - outer.left) - (client.right - client.left);
}

// The fixed layout: panel, spectrum and window size follow from the panel's dialog
// units and the spectrum width, the window widened where the status bar's texts need it.
void layOut(HWND window) {
    Shell& s = shell();
    RECT r{};
    GetWindowRect(window, &r);
    RECT panelUnits{0, 0, kPanelDialogWidth, kPanelDialogHeight};
    MapDialogRect(s.windows.controlPanel, &panelUnits);
    const int fftDisplay = s.modem.fftDisplay();
    const int statusWidth = statusBarTextsWidth(fftDisplay, statusTextWidths(s.windows.statusBar)) +
                            frameWidth(window, r);
    const MainLayout layout =
        mainLayout(panelUnits.right, panelUnits.bottom, fftDisplay, r.left, r.top,
                   GetSystemMetrics(SM_CYMENU), GetSystemMetrics(SM_CYCAPTION), statusWidth);
    const auto move = [](HWND w, const Placement& p) {
        MoveWindow(w, p.x, p.y, p.width, p.height, TRUE);
    };
    move(s.windows.controlPanel, layout.panel);
    move(s.windows.fftWindow, layout.spectrum);
    move(window, layout.window);
    PostMessageW(s.windows.statusBar, WM_SIZE, 0, 0);

    if (!GetWindowRect(window, &r)) showRectFailure(kLayoutRectFailure);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    s.modem.windowPlaced(windowRectOf(r), PositionSource::layout);
}

LRESULT menuCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (shell().modem.menuCommand(LOWORD(wParam))) {
        case MenuFollowUp::defaultHandling:
            return DefWindowProcW(window, message, wParam, lParam);
        case MenuFollowUp::placeTopMost:
            SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            return 0;
        case MenuFollowUp::placeNotTopMost:
            SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            return 0;
        case MenuFollowUp::showAbout:
            DialogBoxParamW(shell().instance, MAKEINTRESOURCEW(IDD_ABOUTBOX), window, aboutProc, 0);
            return 0;
        case MenuFollowUp::showRecordingDialog:
            DialogBoxParamW(shell().instance, MAKEINTRESOURCEW(IDD_RECORDING), window,
                            recordingDialogProc, 0);
            return 0;
        case MenuFollowUp::showSettings: {
            // The logger can ask for Settings while they are open; one dialog at a time.
            static bool open = false;
            if (open) return 0;
            open = true;
            DialogBoxParamW(shell().instance, MAKEINTRESOURCEW(IDD_SETTINGS), window, settingsProc,
                            0);
            open = false;
            return 0;
        }
        case MenuFollowUp::done:
            return 0;
    }
    return 0;
}

}  // namespace

// Each part's text sits inside the part's sunken edges, set in from the left one blank's
// width, and the control leaves a gap before the next part.
StatusTextWidths statusTextWidths(HWND bar) {
    StatusTextWidths widths{};
    if (bar == nullptr) return widths;
    auto font = reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0));
    if (font == nullptr) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const HDC dc = GetDC(bar);
    const HGDIOBJ before = SelectObject(dc, font);
    const auto extent = [dc](const std::wstring& text) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    int borders[3] = {};  // horizontal, vertical, between parts
    SendMessageW(bar, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    const int around = 2 * GetSystemMetrics(SM_CXEDGE) + extent(L" ") + borders[2];
    const auto texts = statusBarWidestTexts();
    for (std::size_t part = 0; part < texts.size(); ++part) {
        for (const std::string& text : texts[part])
            widths[part] = std::max(widths[part], extent(widen(text)) + around);
    }
    SelectObject(dc, before);
    ReleaseDC(bar, dc);
    return widths;
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Shell& s = shell();
    s.windows.mainWindow = window;
    s.windows.menu = GetMenu(window);
    if (message == s.logger.mmttyMessage()) {
        s.modem.loggerCommand(wParam, lParam);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    switch (message) {
        case kRunOnUiThread:
            s.ui.runQueuedWork();
            return 0;
        case WM_CREATE:
            // Without the logger the program ends here, before the window is ever shown.
            return createChildren(window) ? 0 : -1;
        case WM_CLOSE:
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_MOVE:
            savePositionOnMove(window);
            return 0;
        case WM_SIZE:
            layOut(window);
            return 0;
        case WM_SETFOCUS:
            InvalidateRect(s.windows.txWindow, nullptr, TRUE);
            InvalidateRect(s.windows.controlPanel, nullptr, TRUE);
            SetFocus(s.windows.txWindow);
            return 0;
        case WM_SHOWWINDOW:
            if (wParam) {
                InvalidateRect(window, nullptr, TRUE);
                UpdateWindow(window);
            }
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_CHAR:
            PostMessageW(s.windows.txWindow, WM_CHAR, wParam, lParam);
            return 0;
        case WM_COMMAND:
            return menuCommand(window, message, wParam, lParam);
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace kestrel::win32
