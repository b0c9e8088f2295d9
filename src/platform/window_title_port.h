#pragma once
// Read access to other programs' windows: who is whose parent and what their titles
// say. Windows are handles as integers, 0 for none. Titles are UTF-16 as the window
// system keeps them.
#include <cstdint>
#include <string>

namespace kestrel {

class WindowTitlePort {
  public:
    virtual ~WindowTitlePort() = default;
    // The parent of a window; 0 when it has none or is not a window.
    virtual std::int64_t parentWindow(std::int64_t window) = 0;
    // A window's title, at most 99 characters; empty for no window or no title.
    virtual std::u16string windowTitle(std::int64_t window) = 0;
};

}  // namespace kestrel
