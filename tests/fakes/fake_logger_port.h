#pragma once
// Records every notification posted to the logger. Safe to post from several threads.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "platform/logger_port.h"

namespace kestrel {

struct LoggerPost {
    std::uint32_t code;
    std::int64_t value;
    bool operator==(const LoggerPost&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const LoggerPost& p) {
        return os << "{" << p.code << ", " << p.value << "}";
    }
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
    std::size_t count(std::uint32_t code) const {
        std::lock_guard lock(mutex_);
        return std::count_if(posts_.begin(), posts_.end(),
                             [code](const LoggerPost& p) { return p.code == code; });
    }
    // The values posted with one code, as text (one character per post).
    std::string textOf(std::uint32_t code) const {
        std::lock_guard lock(mutex_);
        std::string text;
        for (const auto& p : posts_) {
            if (p.code == code) text += static_cast<char>(p.value);
        }
        return text;
    }
    // The values posted with one code, in order.
    std::vector<std::int64_t> values(std::uint32_t code) const {
        std::lock_guard lock(mutex_);
        std::vector<std::int64_t> out;
        for (const auto& p : posts_) {
            if (p.code == code) out.push_back(p.value);
        }
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
