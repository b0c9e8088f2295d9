#include "audio_thread.h"

#include <windows.h>

#include <atomic>
#include <mutex>

namespace kestrel::win32 {
namespace {

using SetTaskFunction = HANDLE(WINAPI*)(LPCWSTR task, LPDWORD taskIndex);
std::atomic<SetTaskFunction> setTask{nullptr};
std::once_flag looked;

}  // namespace

void prepareAudioThreads() {
    std::call_once(looked, [] {
        const HMODULE avrt = LoadLibraryW(L"avrt.dll");
        if (avrt == nullptr) return;
        const FARPROC entry = GetProcAddress(avrt, "AvSetMmThreadCharacteristicsW");
        setTask = reinterpret_cast<SetTaskFunction>(reinterpret_cast<void (*)()>(entry));
    });
}

bool raiseAudioThread() {
    const bool raised = SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST) != 0;
    DWORD taskIndex = 0;
    const SetTaskFunction task = setTask.load();
    const bool joined = task != nullptr && task(L"Pro Audio", &taskIndex) != nullptr;
    return raised || joined;
}

}  // namespace kestrel::win32
