// Kestrel.exe entry point.
#include <windows.h>

#include "app/command_line.h"
#include "link/logger_texts.h"
#include "text.h"

namespace {

// The logger owns the shared block "MMTTY"; without it Kestrel has no one to serve.
bool loggerBlockExists() {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, L"MMTTY");
    if (mapping == nullptr) return false;
    CloseHandle(mapping);
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    using namespace kestrel;
    const CommandLine cl = parseCommandLine(commandLine ? commandLine : L"");
    (void)cl;
    if (!loggerBlockExists()) {
        MessageBoxW(nullptr, win32::widen(kStandaloneMessage).c_str(),
                    win32::widen(kErrorCaption).c_str(), MB_OK | MB_TOPMOST);
        return 0;
    }
    return 0;
}
