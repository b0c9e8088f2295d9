#pragma once
// Records the keying thread's priority and memory-lock requests ("lock", "unlock",
// "realtime", "normal class", "time-critical", "normal thread").
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/priority_port.h"

namespace kestrel {

class FakePriorityPort : public PriorityPort {
  public:
    bool lockKeyingCode() override { return record("lock"); }
    bool unlockKeyingCode() override { return record("unlock"); }
    bool setRealtimeClass(bool on) override { return record(on ? "realtime" : "normal class"); }
    bool setTimeCriticalThread(bool on) override {
        return record(on ? "time-critical" : "normal thread");
    }

    std::vector<std::string> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }

    std::function<void(const std::string&)> onCall;  // to interleave with other journals

  private:
    bool record(const std::string& what) {
        {
            std::lock_guard lock(mutex_);
            calls_.push_back(what);
        }
        if (onCall) onCall(what);
        return true;
    }

    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
};

}  // namespace kestrel
