#pragma once
// Records every notification posted to the logger, from any thread.
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/logger_port.h"

namespace kestrel {

struct LoggerPost {
    std::uint32_t code;
    std::int64_t value;
    bool operator==(const LoggerPost&) const = default;
};

class FakeLoggerPort : public LoggerPort {
  public:
    bool post(std::uint32_t code, std::int64_t value) override {
        std::lock_guard lock(mutex_);
        posts_.push_back({code, value});
        return true;
    }
    std::vector<LoggerPost> posts() const {
        std::lock_guard lock(mutex_);
        return posts_;
    }
    // The values posted with one code, in order.
    std::vector<std::int64_t> values(std::uint32_t code) const {
        std::lock_guard lock(mutex_);
        std::vector<std::int64_t> out;
        for (const auto& p : posts_)
            if (p.code == code) out.push_back(p.value);
        return out;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        posts_.clear();
    }

  private:
    mutable std::mutex mutex_;
    std::vector<LoggerPost> posts_;
};

}  // namespace kestrel
