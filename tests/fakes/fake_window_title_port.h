#pragma once
// A small window tree: parents and titles set by the test. Titles can be set to change
// after a number of reads, as a logger's window gets its title late.
#include <cstdint>
#include <map>
#include <string>

#include "platform/window_title_port.h"

namespace kestrel {

class FakeWindowTitles : public WindowTitlePort {
  public:
    std::map<std::int64_t, std::int64_t> parents;
    std::map<std::int64_t, std::u16string> titles;
    std::map<std::int64_t, int> reads;
    std::map<std::int64_t, int> titleLateBy;  // reads that find no title yet

    std::int64_t parentWindow(std::int64_t window) override {
        const auto it = parents.find(window);
        return it == parents.end() ? 0 : it->second;
    }
    std::u16string windowTitle(std::int64_t window) override {
        const int read = reads[window]++;
        if (read < titleLateBy[window]) return {};
        const auto it = titles.find(window);
        return it == titles.end() ? std::u16string() : it->second;
    }
};

}  // namespace kestrel
