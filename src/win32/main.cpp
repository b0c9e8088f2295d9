// Kestrel.exe entry point: the command line, the platform checks, the settings, the
// window classes, the main window with its status bar, and the message loop.
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <mmsystem.h>

#include "app/main_window_layout.h"
#include "app/platform_checks.h"
#include "platform_facts.h"
#include "resource.h"
#include "shell.h"
#include "text.h"
#include "text/ui_ids.h"

namespace kestrel::win32 {
namespace {

constexpr int kStringChars = 256;

// Before the main window exists a message box has no owner.
struct OwnerlessMessageBoxes final : WindowlessUi {
    int messageBox(std::string_view text, std::string_view caption, unsigned flags) override {
        return MessageBoxW(nullptr, widen(text).c_str(), widen(caption).c_str(), flags);
    }
};

std::string executablePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return narrow(path);
}

void initCommonControls() {
    INITCOMMONCONTROLSEX controls{
        sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES |
                             ICC_COOL_CLASSES | ICC_INTERNET_CLASSES | ICC_PAGESCROLLER_CLASS |
                             ICC_NATIVEFNTCTL_CLASS | ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
}

void registerClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HICON icon,
                   HBRUSH background, const wchar_t* menu) {
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    c.style = CS_HREDRAW | CS_VREDRAW;
    c.lpfnWndProc = procedure;
    c.hInstance = instance;
    c.hIcon = icon;
    c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    c.hbrBackground = background;
    c.lpszMenuName = menu;
    c.lpszClassName = name;
    c.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SMALL));
    RegisterClassExW(&c);
}

void registerClasses(HINSTANCE instance) {
    ClassNames& names = classNames();
    LoadStringW(instance, IDC_KESTREL, names.main, kStringChars);
    LoadStringW(instance, IDS_TX_CLASS, names.tx, kStringChars);
    LoadStringW(instance, IDS_FFT_CLASS, names.fft, kStringChars);
    registerClass(
        instance, names.main, mainWindowProc, LoadIconW(instance, MAKEINTRESOURCEW(IDI_KESTREL)),
        reinterpret_cast<HBRUSH>(COLOR_INACTIVEBORDER + 1), MAKEINTRESOURCEW(IDC_KESTREL));
    registerClass(instance, names.tx, txWindowProc, nullptr,
                  reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
    registerClass(instance, names.fft, fftWindowProc, nullptr,
                  static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr);
}

// A window that lies on no monitor (one was removed) goes to the middle of the nearest.
void keepOnAMonitor(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    if (MonitorFromRect(&r, MONITOR_DEFAULTTONULL) != nullptr) return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor);
    const WindowRect work{monitor.rcWork.left, monitor.rcWork.top, monitor.rcWork.right,
                          monitor.rcWork.bottom};
    const Placement p = centredInWorkArea({r.left, r.top, r.right, r.bottom}, work);
    SetWindowPos(window, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void createStatusBar(Shell& s, HWND window) {
    const HWND bar =
        CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                        reinterpret_cast<HMENU>(IDC_STATUS_BAR), s.instance, nullptr);
    s.windows.statusBar = bar;
    RECT client;
    GetClientRect(window, &client);
    const auto edges =
        statusBarEdges(s.modem.fftDisplay(), client.right - client.left, statusTextWidths(bar));
    SendMessageW(bar, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    const auto texts = s.modem.statusTextsAtStart();
    for (int part = 0; part < kStatusParts; ++part) {
        if (!texts[part].empty()) s.ui.setStatusText(part, texts[part]);
    }
}

// The program's short sleeps want a 1 ms timer; ask for it only where it is coarser.
bool requestFineTimer() {
    TIMECAPS caps{};
    if (timeGetDevCaps(&caps, sizeof caps) != MMSYSERR_NOERROR) return false;
    if (caps.wPeriodMin <= 1) return false;
    timeBeginPeriod(1);
    return true;
}

int messageLoop(Shell& s) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        const HWND panel = s.windows.controlPanel;
        if (panel != nullptr && IsDialogMessageW(panel, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

int run(HINSTANCE instance, const wchar_t* commandText, int show) {
    const CommandLine commandLine = parseCommandLine(commandText ? commandText : L"");
    {
        Win32PlatformFacts platform;
        OwnerlessMessageBoxes ui;
        if (!platformAccepted(platform, ui)) return kRefusedExitCode;
    }
    initCommonControls();

    // Never destroyed: devices, ports and threads end with the process.
    Shell& s = *new Shell(instance, executablePath(), commandLine);
    setShell(s);
    s.modem.loadSettings();

    wchar_t title[kStringChars] = {};
    LoadStringW(instance, IDS_APP_TITLE, title, kStringChars);
    registerClasses(instance);
    const Placement stored = s.modem.storedWindowPlacement();
    const HWND window =
        CreateWindowExW(0, classNames().main, title, WS_OVERLAPPED, stored.x, stored.y,
                        stored.width, stored.height, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {  // no logger: the creation message has said so
        s.modem.closeSoundDevices();
        return kRefusedExitCode;
    }

    keepOnAMonitor(window);
    ShowWindow(window, show);
    UpdateWindow(window);
    createStatusBar(s, window);
    SendMessageW(window, WM_SIZE, 0, 0);

    const bool fineTimer = requestFineTimer();
    const int exitCode = messageLoop(s);
    if (fineTimer) timeEndPeriod(1);
    s.modem.closeSoundDevices();
    return exitCode;
}

}  // namespace
}  // namespace kestrel::win32

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show) {
    return kestrel::win32::run(instance, commandLine, show);
}
