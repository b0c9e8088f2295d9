// kestrel-fake-engine.exe: the engine side of the MMTTY link in a few lines, so the Wine
// tests can show that loggersim logs, sends, checks, reads message boxes, fills the
// open-file dialog and sees the exit, independently of Kestrel.exe.
//
// Started as "-r -h<logger window>", it opens the shared block "MMTTY" (without it: the
// standalone message, exit 0) and stores 10 at offset 0, names its window "fake engine
// for <title>" after the nearest titled window above the logger window, and posts
// TXM_THREAD, TXM_HANDLE and TXM_START. Then:
//   RXM_HANDLE     a handle other than the logger's: message box "different hWnd"
//   RXM_REQHANDLE  TXM_HANDLE
//   RXM_SETMARK    250..3000 taken, else a message box; TXM_MARK with the mark
//   RXM_CHAR       echoed as TXM_CHAR
//   RXM_SHOWSETUP  an open-file dialog; the chosen path comes back as TXM_CHARs and 13
//   RXM_EXIT       ends with the value as exit code
#include <windows.h>
// after windows.h, which it needs
#include <commdlg.h>

#include <cstring>
#include <string>

#include "app/captions.h"
#include "app/ui_ids.h"
#include "app/command_line.h"
#include "link/logger_texts.h"
#include "platform/logger_codes.h"

namespace {

using namespace kestrel;

constexpr int kMarkMin = 250;
constexpr int kMarkMax = 3000;

UINT mmttyMessage = 0;
HWND loggerWindow = nullptr;
int markFrequency = 2125;

void post(std::uint32_t code, std::int64_t value) {
    PostMessageW(loggerWindow, mmttyMessage, code, static_cast<LPARAM>(value));
}

// Kestrel's texts are ASCII.
std::wstring wide(const char* text) {
    return std::wstring(text, text + std::strlen(text));
}

void errorBox(const char* text) {
    MessageBoxW(nullptr, wide(text).c_str(), wide(kErrorCaption).c_str(), MB_OK | MB_TOPMOST);
}

std::int64_t handleValue(HWND w) {
    return static_cast<std::int64_t>(reinterpret_cast<INT_PTR>(w));
}

void chooseFile(HWND window) {
    wchar_t path[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = window;
    ofn.lpstrFilter = L"Wave files\0*.wav\0All files\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&ofn)) return;
    for (const wchar_t* c = path; *c; ++c) post(TXM_CHAR, *c);
    post(TXM_CHAR, 13);
}

void handleCommand(HWND window, WPARAM code, LPARAM value) {
    switch (code) {
        case RXM_HANDLE:
            if (value != handleValue(loggerWindow)) errorBox(kDifferentHandleMessage);
            break;
        case RXM_REQHANDLE:
            post(TXM_HANDLE, handleValue(window));
            break;
        case RXM_SETMARK:
            if (value >= kMarkMin && value <= kMarkMax)
                markFrequency = static_cast<int>(value);
            else
                errorBox(kMarkRangeMessage);
            post(TXM_MARK, markFrequency);
            break;
        case RXM_CHAR:
            post(TXM_CHAR, value);
            break;
        case RXM_SHOWSETUP:
            chooseFile(window);
            break;
        case RXM_EXIT:
            PostQuitMessage(static_cast<int>(value));
            break;
        default:
            break;
    }
}

LRESULT CALLBACK engineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == mmttyMessage && message != 0) {
        handleCommand(window, wParam, lParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::wstring nearestTitleAbove(HWND window) {
    for (HWND w = GetParent(window); w != nullptr; w = GetParent(w)) {
        wchar_t title[256] = {};
        if (GetWindowTextW(w, title, 256) > 0) return title;
    }
    return L"";
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const CommandLine cl = parseCommandLine(commandLine ? commandLine : L"");
    loggerWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(cl.loggerWindow));
    const HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, L"MMTTY");
    if (mapping == nullptr) {
        errorBox(kStandaloneMessage);
        return 0;
    }
    auto* block = static_cast<std::int32_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (block) block[0] = 10;

    mmttyMessage = RegisterWindowMessageW(L"MMTTY");
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = engineProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"KestrelFakeEngine";
    RegisterClassExW(&wc);
    const std::wstring title = L"fake engine for " + nearestTitleAbove(loggerWindow);
    const HWND window = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPED, 0, 0,
                                        200, 100, nullptr, nullptr, instance, nullptr);
    post(TXM_THREAD, GetCurrentThreadId());
    post(TXM_HANDLE, handleValue(window));
    post(TXM_START, 0);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
