#pragma once
// Records every notification posted to the logger. Safe to post from several threads.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/logger_port.h"

namespace kestrel {

struct LoggerPost {
    std::uint32_t code;
    std::int64_t value;
    bool operator==(const LoggerPost&) const = default;
};

class RecordingLogger : public LoggerPort {
  public:
    bool post(std::uint32_t code, std::int64_t value) override {
        {
            std::lock_guard lock(mutex_);
            posts_.push_back({code, value});
        }
        if (onPost) onPost(code, value);
        return true;
    }
    // Called after each post, on the posting thread: to interleave with other journals.
    std::function<void(std::uint32_t, std::int64_t)> onPost;

    std::vector<LoggerPost> posts() const {
        std::lock_guard lock(mutex_);
        return posts_;
    }
    // The values posted with one code, in order; textOf: as text, one character a post.
    std::vector<std::int64_t> values(std::uint32_t code) const {
        std::vector<std::int64_t> out;
        for (const auto& p : posts())
            if (p.code == code) out.push_back(p.value);
        return out;
    }
    std::string textOf(std::uint32_t code) const {
        const auto v = values(code);
        return {v.begin(), v.end()};
    }

  private:
    mutable std::mutex mutex_;
    std::vector<LoggerPost> posts_;
};

}  // namespace kestrel
