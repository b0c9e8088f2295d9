#pragma once
// The light audio threads (the sound output's writer, the capture driver's callback)
// scheduled as Windows schedules audio programs: the multimedia class scheduler's
// "Pro Audio" task where avrt.dll offers it, over a raised thread priority, which is what
// stays in force where that scheduler does little (Wine). Highest, not time-critical: while
// the FSK keyer keys, its process is in the real-time class, and its time-critical thread
// must stay alone at the top. The heavy DSP keeps its normal priority.

namespace kestrel::win32 {

// Looks avrt.dll up, once; call it from an ordinary thread before any raiseAudioThread
// (a driver's callback must not load libraries).
void prepareAudioThreads();

// Raises the calling thread; false when neither the task nor the priority could be set.
bool raiseAudioThread();

}  // namespace kestrel::win32
