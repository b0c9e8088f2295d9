#include "platform_facts.h"

#include <windows.h>
// after windows.h, which they need
#include <cpuid.h>

namespace kestrel::win32 {
namespace {

bool windows8OrLater() {
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.dwMajorVersion = 6;
    wanted.dwMinorVersion = 2;
    wanted.wServicePackMajor = 0;
    DWORDLONG condition = 0;
    condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                              condition) != FALSE;
}

// Only a 64-bit Windows has a folder for 32-bit programs.
bool system64Bit() {
    wchar_t folder[MAX_PATH];
    return GetSystemWow64DirectoryW(folder, MAX_PATH) != 0;
}

// Feature bit 28 of ECX for identification leaf 1.
bool processorHasAvx() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
    return (ecx & (1u << 28)) != 0;
}

}  // namespace

PlatformFacts Win32PlatformFacts::probePlatform() {
    return {windows8OrLater(), system64Bit(), processorHasAvx()};
}

}  // namespace kestrel::win32
