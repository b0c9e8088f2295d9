// kestrel-automate.exe: reads and answers another process's windows for the Wine tests.
//
//   kestrel-automate msgbox CAPTION [SECONDS]
//       waits for a message box of any program with that caption, prints
//       "caption: ...", "text: ..." (UTF-8, newlines as \n) and presses OK. Exit 0 when
//       found, 1 on time-out.
//   kestrel-automate count-windows CLASS
//       prints how many top-level windows of that class exist.
//   kestrel-automate set-text CLASS ID TEXT
//   kestrel-automate get-text CLASS ID
//       puts TEXT into, or prints the text of (newlines as \n), the control with that
//       identifier in the first top-level window of that class.
//       A control inside a child dialog (Kestrel's control panel) is found too.
//   kestrel-automate click CLASS ID
//       presses the button with that identifier (posts its click to its parent).
//   kestrel-automate command CLASS ID
//       posts the menu command ID to the first top-level window of that class.
//   kestrel-automate post CLASS MESSAGE WPARAM LPARAM
//       posts any message, as a stranger process on the desktop could.
//   kestrel-automate topmost CLASS
//       prints 1 when that window is in the top-most band, else 0.
//   kestrel-automate type CLASS TEXT
//   kestrel-automate char CLASS CODE
//       posts each character of TEXT, or the character CODE, as a character message to the
//       first top-level window of that class.
//   kestrel-automate rect CLASS
//       prints the window's left, top, right and bottom edges.
//   kestrel-automate move CLASS X Y
//       moves the window, keeping its size.
//   kestrel-automate status-bar CLASS ID
//       prints the width of that status bar, then a line per part: its left and right
//       edges, the width its text takes in the status-bar font, and the text.
//   kestrel-automate close CLASS
//       asks the first top-level window of that class to close.
//   kestrel-automate process CLASS
//       prints "handles N threads N working-set-kb N private-kb N" for the process that
//       owns the first top-level window of that class, as Windows counts them.
//   kestrel-automate list CLASS ID
//       prints the entries of that list box or drop-down list, one a line.
//   kestrel-automate select CLASS ID TEXT
//       selects the entry with that text ("-" selects none) and tells the dialog.
//   kestrel-automate checked CLASS ID
//   kestrel-automate enabled CLASS ID
//       prints 1 when that button is checked, or that control enabled, else 0.
//   CLASS may be followed by "|CAPTION" to pick the window with that caption (a dialog
//   among others of class #32770).
//   These exit 1 when there is no such window or control.
#include <windows.h>
// After windows.h: these need its types.
#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "loggersim/window_automation.h"
#include "text.h"

namespace {

using kestrel::loggersim::textOf;
using kestrel::win32::narrow;

std::string escaped(const std::string& s) {
    std::string out;
    for (char c : s) out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    return out;
}

struct Search {
    const wchar_t* className;
    const wchar_t* caption;
    HWND found = nullptr;
    int count = 0;
};

BOOL CALLBACK visit(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    wchar_t cls[256] = {};
    GetClassNameW(w, cls, 256);
    if (wcscmp(cls, s->className) != 0) return TRUE;
    if (s->caption && textOf(w) != s->caption) return TRUE;
    ++s->count;
    if (!s->found) s->found = w;
    return TRUE;
}

int msgbox(const wchar_t* caption, double seconds) {
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    for (;;) {
        if (const auto box = kestrel::loggersim::answerMessageBox(0, narrow(caption))) {
            std::printf("caption: %s\ntext: %s\n", escaped(box->caption).c_str(),
                        escaped(box->text).c_str());
            return 0;
        }
        if (GetTickCount() > deadline) break;
        Sleep(50);
    }
    std::printf("no message box with caption found\n");
    return 1;
}

// The top-level windows named "CLASS" or "CLASS|CAPTION": how many, and the first.
Search windowsNamed(const wchar_t* name) {
    const std::wstring full(name);
    const std::size_t bar = full.find(L'|');
    static std::wstring className, caption;
    className = full.substr(0, bar);
    caption = bar == std::wstring::npos ? L"" : full.substr(bar + 1);
    Search s{className.c_str(), bar == std::wstring::npos ? nullptr : caption.c_str()};
    EnumWindows(visit, reinterpret_cast<LPARAM>(&s));
    return s;
}

HWND firstWindow(const wchar_t* name) {
    return windowsNamed(name).found;
}

bool isCombo(HWND item) {
    wchar_t cls[32] = {};
    GetClassNameW(item, cls, 32);
    return !_wcsicmp(cls, L"ComboBox");
}

std::vector<std::wstring> entriesOf(HWND item) {
    const bool combo = isCombo(item);
    const LRESULT count = SendMessageW(item, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    std::vector<std::wstring> entries;
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        SendMessageW(item, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text);
    }
    return entries;
}

// Selects the entry and sends the parent the notification a user's choice would.
int selectEntry(HWND item, const wchar_t* text) {
    const bool combo = isCombo(item);
    const std::vector<std::wstring> entries = entriesOf(item);
    int index = -1;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i] == text) index = static_cast<int>(i);
    if (index < 0 && wcscmp(text, L"-") != 0) {
        std::printf("no such entry\n");
        return 1;
    }
    SendMessageW(item, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageW(GetParent(item), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(item), combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(item));
    return 0;
}

struct ControlSearch {
    int id;
    HWND found = nullptr;
};

BOOL CALLBACK visitChild(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<ControlSearch*>(p);
    if (GetDlgCtrlID(w) != s->id) return TRUE;
    s->found = w;
    return FALSE;
}

// A control of the window, or of one of its child windows.
HWND findControl(HWND window, int id) {
    if (!window) return nullptr;
    if (HWND item = GetDlgItem(window, id)) return item;
    ControlSearch s{id};
    EnumChildWindows(window, visitChild, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// The command on a control: set-text, get-text or click.
int onControl(const wchar_t* command, const wchar_t* className, int id, const wchar_t* text) {
    const HWND window = firstWindow(className);
    const HWND item = findControl(window, id);
    if (!item) {
        std::printf("no such window or control\n");
        return 1;
    }
    if (!wcscmp(command, L"get-text")) {
        std::printf("%s\n", escaped(narrow(textOf(item))).c_str());
    } else if (!wcscmp(command, L"list")) {
        for (const std::wstring& entry : entriesOf(item))
            std::printf("%s\n", narrow(entry).c_str());
    } else if (!wcscmp(command, L"select")) {
        return selectEntry(item, text);
    } else if (!wcscmp(command, L"checked")) {
        std::printf("%d\n", SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    } else if (!wcscmp(command, L"enabled")) {
        std::printf("%d\n", IsWindowEnabled(item) ? 1 : 0);
    } else if (!wcscmp(command, L"set-text")) {
        SendMessageTimeoutW(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                            2000, nullptr);
    } else {
        PostMessageW(GetParent(item), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(item));
    }
    return 0;
}

// The system's handle table, as the native API lists it (Wine's GetProcessHandleCount
// says 0): the entries that belong to the process.
unsigned long handleCount(DWORD pid) {
    struct Entry {
        ULONG ownerPid;
        BYTE objectType, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    using Query = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    constexpr int kSystemHandleInformation = 16;
    std::vector<unsigned char> table(1 << 16);
    ULONG needed = 0;
    LONG status;
    while ((status = query(kSystemHandleInformation, table.data(), (ULONG)table.size(), &needed)) ==
           static_cast<LONG>(0xC0000004))  // STATUS_INFO_LENGTH_MISMATCH
        table.resize(table.size() * 2);
    if (status != 0) return 0;
    const ULONG entries = *reinterpret_cast<const ULONG*>(table.data());
    const auto* entry = reinterpret_cast<const Entry*>(table.data() + sizeof(void*));
    unsigned long count = 0;
    for (ULONG i = 0; i < entries; ++i) count += entry[i].ownerPid == pid;
    return count;
}

int processStats(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return 1;
    PROCESS_MEMORY_COUNTERS memory{};
    const bool known = K32GetProcessMemoryInfo(process, &memory, sizeof memory);
    CloseHandle(process);
    if (!known) return 1;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 thread{};
    thread.dwSize = sizeof thread;
    int threads = 0;
    for (BOOL more = Thread32First(snapshot, &thread); more; more = Thread32Next(snapshot, &thread))
        threads += thread.th32OwnerProcessID == pid;
    CloseHandle(snapshot);
    std::printf("handles %lu threads %d working-set-kb %zu pagefile-kb %zu\n", handleCount(pid),
                threads, memory.WorkingSetSize / 1024, memory.PagefileUsage / 1024);
    return 0;
}

// A status bar's messages take pointers, which must lie in the bar's own process.
int statusBar(HWND bar) {
    DWORD pid = 0;
    GetWindowThreadProcessId(bar, &pid);
    const HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return 1;
    constexpr SIZE_T kBytes = 4096;
    void* remote = VirtualAllocEx(process, nullptr, kBytes, MEM_COMMIT, PAGE_READWRITE);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    const HFONT font = CreateFontIndirectW(&metrics.lfStatusFont);
    const HDC dc = GetDC(nullptr);
    SelectObject(dc, font);
    RECT client{};
    GetClientRect(bar, &client);
    std::printf("%ld\n", client.right - client.left);
    const int parts = static_cast<int>(SendMessageW(bar, SB_GETPARTS, 0, 0));
    for (int part = 0; part < parts; ++part) {
        RECT r{};
        wchar_t text[256] = {};
        SendMessageW(bar, SB_GETRECT, part, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote, &r, sizeof r, nullptr);
        const int length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, part, 0));
        if (length > 0 && length < 256) {
            SendMessageW(bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(remote));
            ReadProcessMemory(process, remote, text, (length + 1) * sizeof(wchar_t), nullptr);
        }
        SIZE size{};
        GetTextExtentPoint32W(dc, text, length, &size);
        std::printf("%ld %ld %ld %s\n", r.left, r.right, size.cx, narrow(text).c_str());
    }
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring verb = argc >= 2 ? argv[1] : L"";
    const auto is = [&](std::initializer_list<const wchar_t*> names, int least) {
        if (argc < least) return false;
        for (const wchar_t* name : names)
            if (verb == name) return true;
        return false;
    };
    if (is({L"msgbox"}, 3)) return msgbox(argv[2], argc >= 4 ? _wtof(argv[3]) : 10.0);
    if (is({L"count-windows"}, 3)) {
        std::printf("%d\n", windowsNamed(argv[2]).count);
        return 0;
    }
    if (is({L"set-text", L"select"}, 5))
        return onControl(argv[1], argv[2], _wtoi(argv[3]), argv[4]);
    if (is({L"get-text", L"click", L"list", L"checked", L"enabled"}, 4))
        return onControl(argv[1], argv[2], _wtoi(argv[3]), nullptr);
    // The rest act on the first top-level window of the class.
    const HWND window = argc >= 3 ? firstWindow(argv[2]) : nullptr;
    const auto arg = [&](int i) { return _wtoi(argv[i]); };
    RECT r{};
    if (!window) {
        // No such window: exit 1, as for a control.
    } else if (is({L"command"}, 4)) {
        PostMessageW(window, WM_COMMAND, arg(3), 0);
    } else if (is({L"post"}, 6)) {
        PostMessageW(window, arg(3), arg(4), arg(5));
    } else if (is({L"topmost"}, 3)) {
        std::printf("%d\n", (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
    } else if (is({L"char"}, 4)) {
        PostMessageW(window, WM_CHAR, arg(3), 1);
    } else if (is({L"type"}, 4)) {
        for (const wchar_t* c = argv[3]; *c; ++c) PostMessageW(window, WM_CHAR, *c, 1);
    } else if (is({L"rect"}, 3)) {
        if (!GetWindowRect(window, &r)) return 1;
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    } else if (is({L"move"}, 5)) {
        SetWindowPos(window, nullptr, arg(3), arg(4), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (is({L"process"}, 3)) {
        return processStats(window);
    } else if (is({L"status-bar"}, 4)) {
        const HWND bar = findControl(window, arg(3));
        return bar ? statusBar(bar) : 1;
    } else if (is({L"close"}, 3)) {
        PostMessageW(window, WM_CLOSE, 0, 0);
    } else {
        std::fprintf(stderr, "usage: see the commands at the top of automate.cpp\n");
        return 2;
    }
    return window ? 0 : 1;
}
