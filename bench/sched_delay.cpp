// Scheduling delay on a busy machine: how late a thread that sleeps 5 ms at a time wakes,
// at normal priority and raised as Kestrel raises its light audio threads, side by side.
// The worst delay sizes the audio buffers: the capture ring must hold the input for as
// long as the receive thread may be kept waiting, and the sound output must hold audio
// for as long as its writer may be.
//
//   sched_delay [SECONDS]     (default 30; built for Windows too, to run under Wine)
//
// Prints, per thread, the wake-ups counted and the 50th, 99th, 99.9th percentile and worst
// lateness in milliseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

std::vector<double> lateness(Clock::time_point end) {
    std::vector<double> late;
    const auto nap = std::chrono::milliseconds(5);
    while (Clock::now() < end) {
        const auto before = Clock::now();
        std::this_thread::sleep_for(nap);
        late.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - before - nap).count());
    }
    return late;
}

void raise() {
#ifdef _WIN32
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
#endif
}

void report(const char* name, std::vector<double> late) {
    std::sort(late.begin(), late.end());
    const auto at = [&late](double share) {
        return late[std::min(late.size() - 1, static_cast<std::size_t>(share * late.size()))];
    };
    std::printf("%-8s wake-ups %6zu  late ms: 50%% %6.2f  99%% %6.2f  99.9%% %6.2f  worst %7.2f\n",
                name, late.size(), at(0.5), at(0.99), at(0.999), late.back());
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    std::vector<double> normal, raised;
    std::thread a([&] { normal = lateness(end); });
    std::thread b([&] {
        raise();
        raised = lateness(end);
    });
    a.join();
    b.join();
    report("normal", normal);
    report("raised", raised);
    return 0;
}
