#pragma once
// Ctrl-C and SIGTERM as a flag that long loops look at, so that a live input or a service
// that outlives its input ends cleanly: devices closed, output flushed.
#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

namespace kestrel {

inline std::atomic<bool> interruptRequested{false};

inline void requestInterrupt(int) {
    interruptRequested = true;
}

inline void catchInterrupts() {
    std::signal(SIGINT, requestInterrupt);
    std::signal(SIGTERM, requestInterrupt);
}

// What a service that outlives its input does once the input has ended.
inline void waitForInterrupt() {
    while (!interruptRequested) std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

}  // namespace kestrel
