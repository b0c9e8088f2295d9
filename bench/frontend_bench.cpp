// Throughput of the receive front end (processSample: pause history, AFC twice, spectrum,
// tone filters) on a keyed signal at each speed. Prints samples per second and the
// multiple of real time; it measures, it does not judge.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "app/status_texts.h"
#include "fakes/fakes.h"
#include "frontend/front_end.h"
#include "fsk_source.h"

namespace {

struct Speed {
    const char* name;
    int baudIndex;
    int sampleRate;
};

// Counts decoder hand-overs so the work cannot be optimised away.
struct CountingSink : kestrel::DecodeDispatchSink {
    void decodeDispatch(int d, kestrel::ToneFilterRings& rings) override {
        ++calls;
        checksum += rings.markI[d];
    }
    long calls = 0;
    double checksum = 0.0;
};

}  // namespace

int main() {
    constexpr Speed kSpeeds[] = {{"45.45", 0, 12000}, {"50", 1, 13200}, {"75", 2, 19800}};
    for (const Speed& speed : kSpeeds) {
        kestrel::ModemState state;
        state.baudIndex = speed.baudIndex;
        state.sampleRate = speed.sampleRate;
        kestrel::RecordingLogger logger;
        kestrel::RecordingUi ui;
        kestrel::StatusTexts statusTexts(ui, logger);
        auto frontEnd = std::make_unique<kestrel::FrontEnd>(state, statusTexts);
        CountingSink sink;
        frontEnd->setDecodeSink(&sink);

        std::vector<double> signal;
        kestrel::testing::FskSource source(2135.0, 2305.0, speed.sampleRate, 20.0);
        source.characters(200, signal);

        const std::clock_t cpuStart = std::clock();
        const auto start = std::chrono::steady_clock::now();
        for (double x : signal) frontEnd->processSample(x);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;

        // The machine may be shared: processor time is the steadier figure.
        const double samples = static_cast<double>(signal.size());
        std::printf(
            "%5s baud: %8.0f samples/s wall (%5.1f x real time), %8.0f samples/s of processor "
            "time (%5.1f x real time); %ld hand-overs, checksum %.3g\n",
            speed.name, samples / elapsed.count(), samples / elapsed.count() / speed.sampleRate,
            samples / cpuSeconds, samples / cpuSeconds / speed.sampleRate, sink.calls,
            sink.checksum);
    }
    return 0;
}
