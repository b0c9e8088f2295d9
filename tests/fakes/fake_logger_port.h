#pragma once
// Records every notification posted to the logger.
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/logger_port.h"

namespace kestrel {

class FakeLoggerPort : public LoggerPort {
  public:
    bool post(std::uint32_t code, std::int64_t value) override {
        std::lock_guard lock(mutex_);
        posts.emplace_back(code, value);
        return true;
    }

    // The values posted with one code, as text (one character per post).
    std::string textOf(std::uint32_t code) const {
        std::lock_guard lock(mutex_);
        std::string text;
        for (const auto& [c, v] : posts) {
            if (c == code) text += static_cast<char>(v);
        }
        return text;
    }

    std::vector<std::pair<std::uint32_t, std::int64_t>> posts;

  private:
    mutable std::mutex mutex_;
};

}  // namespace kestrel
