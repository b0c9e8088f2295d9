#pragma once
// A UDP socket played by the test: each step can be made to fail, and the datagrams it
// delivers are queued by the test (from any thread). Calls are journalled in order.
#include <algorithm>
#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/udp_port.h"

namespace kestrel {

class FakeUdpPort : public UdpPort {
  public:
    int startupError = 0;
    bool socketOpens = true;
    SocketCall reuseResult{};
    SocketCall bindResult{};
    bool closes = true;

    void deliver(std::string datagram) {
        std::lock_guard lock(mutex_);
        datagrams_.push_back(std::move(datagram));
    }
    // A failing receive, delivered in turn with the datagrams.
    void failNextReceive(int error) { deliver(std::string("\0fail", 5) + std::to_string(error)); }
    std::vector<std::string> journal() const {
        std::lock_guard lock(mutex_);
        return journal_;
    }
    bool drained() const {
        std::lock_guard lock(mutex_);
        return datagrams_.empty();
    }

    int startup() override { return note("startup"), startupError; }
    bool openSocket() override { return note("socket"), socketOpens; }
    SocketCall reuseAddress() override { return note("reuse"), reuseResult; }
    SocketCall bind(int port) override { return note("bind " + std::to_string(port)), bindResult; }
    bool waitForDatagram(int) override {
        {
            std::lock_guard lock(mutex_);
            if (!datagrams_.empty()) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return false;
    }
    SocketCall receive(std::span<char> buffer) override {
        std::lock_guard lock(mutex_);
        const std::string d = datagrams_.front();
        datagrams_.pop_front();
        if (d.starts_with(std::string("\0fail", 5))) return {-1, std::stoi(d.substr(5))};
        const std::size_t n = std::min(d.size(), buffer.size());
        std::copy_n(d.begin(), n, buffer.begin());
        return {static_cast<int>(n), 0};
    }
    bool closeSocket() override { return note("close"), closes; }
    void cleanup() override { note("cleanup"); }

  private:
    void note(std::string step) {
        std::lock_guard lock(mutex_);
        journal_.push_back(std::move(step));
    }
    mutable std::mutex mutex_;
    std::deque<std::string> datagrams_;
    std::vector<std::string> journal_;
};

}  // namespace kestrel
