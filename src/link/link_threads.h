#pragma once
// The logger link's two threads: the ident thread, which ends by itself, and the level
// heartbeat, which runs for the rest of the program. They start once, at the end of
// the first successful handshake. The program never stops them; stop(), which the
// destructor calls, ends and joins both. They use the LoggerLink they were started
// for, so stop them before that link goes.
#include <atomic>
#include <thread>

#include "link/logger_link.h"
#include "platform/window_title_port.h"

namespace kestrel {

// The heartbeat: a beat every 57 ms until `stop`.
void levelHeartbeat(LoggerLink& link, const std::atomic<bool>& stop);

class LinkThreads final : public LinkWorkers {
  public:
    explicit LinkThreads(WindowTitlePort& windows) : windows_(windows) {}
    ~LinkThreads() override;
    LinkThreads(const LinkThreads&) = delete;
    LinkThreads& operator=(const LinkThreads&) = delete;

    void startLinkThreads(LoggerLink& link) override;
    void stop();

  private:
    WindowTitlePort& windows_;
    std::atomic<bool> stop_{false};
    std::thread ident_;
    std::thread heartbeat_;
};

}  // namespace kestrel
