#pragma once
// Scripted serial ports. FakeSerialPorts is the system: which devices exist, which opens
// fail, and one journal of everything done to any of its ports ("DTR on", "write [", ...),
// each entry stamped with the time source's reading. Tests may add their own entries with
// note(), so the order against other fakes can be checked. Bytes to be read are queued
// as chunks; each read takes at most one chunk (what "has arrived" by then).
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/serial_port.h"

namespace kestrel {

struct SerialEvent {
    std::string what;
    std::int64_t at = 0;
};

class FakeSerialPorts;

class FakeSerialPort : public SerialPort {
  public:
    FakeSerialPort(FakeSerialPorts& system, std::string path)
        : path(std::move(path)), system_(system) {}
    ~FakeSerialPort() override;

    bool close() override {
        return step("close", [&] { closed = true; });
    }
    bool readState() override { return step("readState"); }
    bool buildState(std::string_view definition) override {
        return step("buildState " + std::string(definition));
    }
    bool writeState() override { return step("writeState"); }
    bool setQueueSizes(std::uint32_t in, std::uint32_t out) override {
        return step("queues " + std::to_string(in) + "/" + std::to_string(out));
    }
    bool setTimeouts(const SerialTimeouts&) override { return step("timeouts"); }
    bool lineAction(SerialLineAction action) override;
    bool read(std::span<std::uint8_t> buffer, std::size_t& got) override;
    bool write(std::span<const std::uint8_t> bytes, std::size_t& written) override;
    void cancelPending() override { step("cancel"); }
    std::uint32_t lastError() override { return 0; }

    // Queues bytes that arrive from the device.
    void arrive(std::string bytes);

    const std::string path;
    bool closed = false;
    bool dtr = false, rts = false, brk = false;

  private:
    bool step(const std::string& what, const std::function<void()>& effect = {});

    FakeSerialPorts& system_;
    std::deque<std::string> incoming_;
};

class FakeSerialPorts : public SerialPorts {
  public:
    std::unique_ptr<SerialPort> open(std::string_view devicePath, SerialAccess access,
                                     SerialOpenError& error) override {
        std::string path(devicePath);
        std::string name = path.substr(path.rfind('\\') + 1);
        note("open " + path + (access == SerialAccess::plain ? " plain" : " overlapped"));
        error = devices.count(name) ? SerialOpenError::none : SerialOpenError::fileNotFound;
        if (error != SerialOpenError::none) return nullptr;
        auto port = std::make_unique<FakeSerialPort>(*this, path);
        if (prepare) prepare(*port);
        std::lock_guard lock(mutex_);
        opened.push_back(port.get());
        return port;
    }
    bool deviceExists(std::string_view name) override {
        probes.emplace_back(name);
        return devices.count(std::string(name)) > 0;
    }

    void note(std::string what) {
        std::lock_guard lock(mutex_);
        events_.push_back({std::move(what), timeSource ? timeSource() : 0});
    }
    std::vector<SerialEvent> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    // The journal's texts only, optionally just those starting with prefix.
    std::vector<std::string> journal(const std::string& prefix = "") const {
        std::vector<std::string> out;
        for (const auto& e : events())
            if (e.what.rfind(prefix, 0) == 0) out.push_back(e.what);
        return out;
    }
    FakeSerialPort* port(std::size_t i = 0) {
        std::lock_guard lock(mutex_);
        return i < opened.size() ? opened[i] : nullptr;
    }

    std::set<std::string> devices;                 // names such as "COM3"
    std::function<void(FakeSerialPort&)> prepare;  // scripts each port as it opens
    std::function<std::int64_t()> timeSource;
    std::vector<std::string> probes;
    std::vector<FakeSerialPort*> opened;  // alive until the code under test drops them

  private:
    friend class FakeSerialPort;
    void forget(FakeSerialPort* port) {
        std::lock_guard lock(mutex_);
        std::erase(opened, port);
    }

    mutable std::recursive_mutex mutex_;
    std::vector<SerialEvent> events_;
};

inline FakeSerialPort::~FakeSerialPort() {
    system_.forget(this);
}

inline bool FakeSerialPort::step(const std::string& what, const std::function<void()>& effect) {
    std::lock_guard lock(system_.mutex_);
    bool ok = !closed;
    system_.note(what + (ok ? "" : " FAILED"));
    if (ok && effect) effect();
    return ok;
}

inline bool FakeSerialPort::lineAction(SerialLineAction action) {
    using enum SerialLineAction;
    const struct {
        SerialLineAction action;
        const char* text;
        bool* level;
        bool on;
    } lines[] = {{setDtr, "DTR on", &dtr, true},     {clearDtr, "DTR off", &dtr, false},
                 {setRts, "RTS on", &rts, true},     {clearRts, "RTS off", &rts, false},
                 {setBreak, "break on", &brk, true}, {clearBreak, "break off", &brk, false}};
    for (const auto& l : lines)
        if (l.action == action) return step(l.text, [&] { *l.level = l.on; });
    return false;
}

inline bool FakeSerialPort::read(std::span<std::uint8_t> buffer, std::size_t& got) {
    got = 0;
    std::string chunk;
    bool ok = step("read", [&] {
        if (incoming_.empty()) return;
        chunk = incoming_.front().substr(0, buffer.size());
        incoming_.front().erase(0, chunk.size());
        if (incoming_.front().empty()) incoming_.pop_front();
    });
    std::copy(chunk.begin(), chunk.end(), buffer.begin());
    got = chunk.size();
    return ok;
}

inline bool FakeSerialPort::write(std::span<const std::uint8_t> bytes, std::size_t& count) {
    std::string text(bytes.begin(), bytes.end());
    bool ok = step("write " + text);
    count = ok ? text.size() : 0;
    return ok;
}

inline void FakeSerialPort::arrive(std::string bytes) {
    std::lock_guard lock(system_.mutex_);
    incoming_.push_back(std::move(bytes));
}

}  // namespace kestrel
