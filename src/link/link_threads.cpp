#include "link/link_threads.h"

#include "link/ident.h"

namespace kestrel {

void levelHeartbeat(LoggerLink& link, const std::atomic<bool>& stop) {
    while (!stop) {
        link.levelHeartbeatTick();
        link.ports.clock.sleepMs(kHeartbeatPeriodMs);
    }
}

LinkThreads::~LinkThreads() {
    stop();
}

void LinkThreads::stop() {
    stop_ = true;
    if (ident_.joinable()) ident_.join();
    if (heartbeat_.joinable()) heartbeat_.join();
}

// A second handshake finds both threads running and leaves them be.
void LinkThreads::startLinkThreads(LoggerLink& link) {
    if (heartbeat_.joinable()) return;
    ident_ = std::thread([this, &link] { identThread(link, windows_, stop_); });
    heartbeat_ = std::thread([this, &link] { levelHeartbeat(link, stop_); });
}

}  // namespace kestrel
