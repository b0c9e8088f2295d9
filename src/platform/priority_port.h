#pragma once
// What the FSK keying thread asks of the scheduler and the memory manager so that its
// element timing holds: real-time priority for the process, time-critical priority for
// the thread, and its own code kept resident. The Win32 shell uses SetPriorityClass,
// SetThreadPriority and VirtualLock/VirtualUnlock; tests record the calls. And what the
// sound output's writer asks: to be scheduled as a light audio thread, which a busy
// machine keeps waiting less.

namespace kestrel {

class PriorityPort {
  public:
    virtual ~PriorityPort() = default;
    // Locks (or unlocks) the keying thread's code pages into memory.
    virtual bool lockKeyingCode() = 0;
    virtual bool unlockKeyingCode() = 0;
    // Real-time priority class for the whole process, or back to normal.
    virtual bool setRealtimeClass(bool realtime) = 0;
    // Time-critical priority for the calling thread, or back to normal.
    virtual bool setTimeCriticalThread(bool timeCritical) = 0;
    // The calling thread scheduled as an audio program's light thread, below the keyer's.
    virtual bool raiseAudioThread() = 0;
};

}  // namespace kestrel
