#pragma once
// Scheduling and memory for the FSK keying thread: real-time process class, time-critical
// thread, and the keying code locked into memory; and for the light audio threads.
#include <windows.h>

#include "audio_thread.h"
#include "platform/priority_port.h"
#include "transmit/fsk_thread.h"

namespace kestrel::win32 {

class Win32PriorityPort final : public PriorityPort {
  public:
    Win32PriorityPort() { prepareAudioThreads(); }
    bool lockKeyingCode() override { return VirtualLock(keyingCode(), kKeyingCodeBytes) != 0; }
    bool unlockKeyingCode() override { return VirtualUnlock(keyingCode(), kKeyingCodeBytes) != 0; }
    bool setRealtimeClass(bool realtime) override {
        return SetPriorityClass(GetCurrentProcess(),
                                realtime ? REALTIME_PRIORITY_CLASS : NORMAL_PRIORITY_CLASS) != 0;
    }
    bool setTimeCriticalThread(bool timeCritical) override {
        return SetThreadPriority(GetCurrentThread(), timeCritical ? THREAD_PRIORITY_TIME_CRITICAL
                                                                  : THREAD_PRIORITY_NORMAL) != 0;
    }
    bool raiseAudioThread() override { return win32::raiseAudioThread(); }

  private:
    // The pages from the keying thread's entry on: the thread and what it calls per element.
    static constexpr SIZE_T kKeyingCodeBytes = 64 * 1024;
    static void* keyingCode() { return reinterpret_cast<void*>(&fskThread); }
};

}  // namespace kestrel::win32
