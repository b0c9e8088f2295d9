#pragma once
// A logger link wired to recording fakes, for the link's tests.
#include <cstddef>
#include <vector>

#include "fakes/fakes.h"
#include "link/logger_link.h"

namespace kestrel {

// Remembers when the handshake started the link's threads: how many notifications had
// been posted by then.
struct RecordingWorkers : LinkWorkers {
    explicit RecordingWorkers(const RecordingLogger& logger) : logger_(logger) {}
    std::vector<std::size_t> startedAfterPosts;
    void startLinkThreads(LoggerLink&) override {
        startedAfterPosts.push_back(logger_.posts().size());
    }

  private:
    const RecordingLogger& logger_;
};

struct LinkRig {
    static constexpr std::int64_t kLoggerWindow = 0x1A2B3C;

    ModemState state;
    RecordingLogger logger;
    RecordingUi ui;
    FakeMainWindow mainWindow;
    RecordingTxBuffer txBuffer;
    MemorySettings settings;
    FakeSharedBlock block;
    FakeClock clock;
    RecordingWorkers workers{logger};
    LoggerLink link{
        state, {logger, ui, mainWindow, txBuffer, settings, block, clock, workers}, kLoggerWindow};
};

}  // namespace kestrel
