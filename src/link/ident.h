#pragma once
// Which of the logger's digital-interface windows this Kestrel serves. The logger gives
// Kestrel one of its windows; the title of that window's parent (or, when the parent has
// none, of its grandparent) names the interface: "DI1 ...", "DI-2 ...". A title with an
// "X" three places after the number marks a receiver-only window, which fixes Kestrel's
// configuration. Kestrel names its own window after what it found.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/logger_link.h"
#include "platform/window_title_port.h"

namespace kestrel {

inline constexpr int kIdentLastPoll = 30;  // polls 0 to 30, then give up
inline constexpr std::uint32_t kIdentPollMs = 53;
inline constexpr std::uint32_t kIdentSettleMs = 503;
inline constexpr std::size_t kTitleCapacity = 99;  // characters, without the terminator

// What a title tells.
struct IdentTitle {
    int diNumber = 0;
    bool receiverMark = false;
    std::string windowTitle;  // Kestrel's own title, UTF-8
};

// A window whose title can name the interface.
bool titleQualifies(std::u16string_view title);
// Where the interface name starts: the first "D", or the place before the first "I";
// the title's length when there is neither.
std::size_t markerPosition(std::u16string_view title);
IdentTitle readIdentTitle(std::u16string_view title);

// The ident thread: finds the window, then sets `diNumber`, the receiver-mark lock and
// Kestrel's title. Gives up, changing nothing, after 31 polls; `stop` ends it early.
void identThread(LoggerLink& link, WindowTitlePort& windows, const std::atomic<bool>& stop);

}  // namespace kestrel
