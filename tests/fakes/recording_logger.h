#pragma once
// A LoggerPort that records every notification.
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/logger_port.h"

namespace kestrel::testing {

class RecordingLogger : public LoggerPort {
  public:
    struct Post {
        std::uint32_t code;
        std::int64_t value;
        bool operator==(const Post&) const = default;
    };

    bool post(std::uint32_t code, std::int64_t value) override {
        std::lock_guard lock(mutex_);
        posts_.push_back({code, value});
        return true;
    }

    std::vector<Post> posts() const {
        std::lock_guard lock(mutex_);
        return posts_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Post> posts_;
};

}  // namespace kestrel::testing
