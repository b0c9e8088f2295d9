#pragma once
// Waiting for another thread's short hold: a busy flag taken by atomic exchange, or a
// flag that says a buffer is being worked on. A bare yield loop is not enough on Windows,
// where a yield gives way only to threads of the waiter's own priority or above: a raised
// audio thread spinning on a flag that a normal-priority thread holds would keep that
// holder from ever finishing. After a few yields the waiter sleeps, which lets any holder
// run.
#include <atomic>
#include <chrono>
#include <thread>

namespace kestrel {

inline constexpr int kYieldsBeforeSleeping = 50;

// Returns once done() is true.
template <typename Done>
void waitUntil(Done done) {
    for (int tries = 0; !done(); ++tries) {
        if (tries < kYieldsBeforeSleeping)
            std::this_thread::yield();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Takes a busy flag (0 free, 1 held); release it with flag.store(0, release).
inline void takeBusyFlag(std::atomic<int>& flag) {
    waitUntil([&flag] { return flag.exchange(1, std::memory_order_acquire) == 0; });
}

}  // namespace kestrel
