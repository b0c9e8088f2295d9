#pragma once
// Settings kept in memory: keys match without regard to case, as in the settings file;
// a value that does not start with a number reads as the default. Every write is
// recorded in order.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/settings_access.h"

namespace kestrel {

class MemorySettings : public SettingsAccess {
  public:
    std::vector<std::pair<std::string, std::string>> writes;

    void set(std::string_view key, std::string_view text) { values_[lower(key)] = text; }
    std::string value(std::string_view key) const {
        const auto it = values_.find(lower(key));
        return it == values_.end() ? std::string() : it->second;
    }

    std::int32_t readInt(std::string_view key, std::int32_t defaultValue) override {
        const auto it = values_.find(lower(key));
        if (it == values_.end()) return defaultValue;
        const char* text = it->second.c_str();
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        return end == text ? defaultValue : static_cast<std::int32_t>(value);
    }
    std::string readString(std::string_view key, std::string_view defaultValue,
                           std::size_t capacity) override {
        const auto it = values_.find(lower(key));
        const std::string text = it == values_.end() ? std::string(defaultValue) : it->second;
        return text.substr(0, capacity > 0 ? capacity - 1 : 0);
    }
    void writeString(std::string_view key, std::string_view text) override {
        writes.emplace_back(key, text);
        set(key, text);
    }

  private:
    static std::string lower(std::string_view key) {
        std::string out(key);
        for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return out;
    }
    std::map<std::string, std::string> values_;
};

}  // namespace kestrel
