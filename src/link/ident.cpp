#include "link/ident.h"

#include <algorithm>
#include <initializer_list>

#include "text/captions.h"
#include "text/ui_ids.h"
#include "text/wide_text.h"

namespace kestrel {
namespace {

constexpr std::string_view kReceiverTitleFormat = "DI%c RX%c XX9XX Kestrel";
constexpr std::string_view kTitleFormat = "DI%c XX9XX Kestrel %s";
// The version is left out of the title, which therefore ends in a blank.
constexpr std::string_view kTitleVersion = "";

// Positions past the end of the title hold nothing.
char16_t charAt(std::u16string_view title, std::size_t i) {
    return i < title.size() ? title[i] : u'\0';
}

std::u16string_view clampTitle(std::u16string_view title) {
    return title.substr(0, std::min(title.size(), kTitleCapacity));
}

// One title character as UTF-8; nothing for no character, U+FFFD for half a pair.
std::string utf8Of(char16_t c) {
    return c == 0 ? std::string() : utf8FromUnit(c);
}

// Fills the %c and %s places of a title format in order.
std::string formatTitle(std::string_view format, std::initializer_list<std::string_view> fields) {
    std::string out;
    auto field = fields.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        const bool place = format[i] == '%' && i + 1 < format.size() &&
                           (format[i + 1] == 'c' || format[i + 1] == 's');
        if (!place) {
            out += format[i];
            continue;
        }
        if (field != fields.end()) out += *field++;
        ++i;
    }
    return out;
}

int digitValue(char16_t c) {
    return c >= u'0' && c <= u'9' ? c - u'0' : 0;
}

std::u16string titleOf(WindowTitlePort& windows, std::int64_t window) {
    return std::u16string(clampTitle(windows.windowTitle(window)));
}

void applyReceiverMark(LoggerLink& link) {
    link.state.switchesLocked = 1;
    link.state.afcOff = 0;
    link.ports.ui.setControlCaption(IDC_AFC_BUTTON, kAfcOnCaption);
    link.ports.ui.enableMenuItem(IDM_SAVE_WAV, false);
}

}  // namespace

bool titleQualifies(std::u16string_view title) {
    for (std::size_t i = 0; i < title.size(); ++i) {
        if (title[i] != u'D' && charAt(title, i + 1) != u'I') return true;
    }
    return false;
}

std::size_t markerPosition(std::u16string_view title) {
    for (std::size_t i = 0; i < title.size(); ++i) {
        if (title[i] == u'D' || charAt(title, i + 1) == u'I') return i;
    }
    return title.size();
}

IdentTitle readIdentTitle(std::u16string_view fullTitle) {
    const std::u16string_view title = clampTitle(fullTitle);
    const std::size_t m = markerPosition(title);
    const char16_t named = charAt(title, m + 2);
    const char16_t number = named == u'-' ? charAt(title, m + 3) : named;

    IdentTitle ident;
    ident.diNumber = digitValue(number);
    ident.receiverMark = charAt(title, m + 5) == u'X';
    ident.windowTitle =
        ident.receiverMark
            ? formatTitle(kReceiverTitleFormat, {utf8Of(named), utf8Of(charAt(title, m + 14))})
            : formatTitle(kTitleFormat, {utf8Of(number), kTitleVersion});
    return ident;
}

void identThread(LoggerLink& link, WindowTitlePort& windows, const std::atomic<bool>& stop) {
    const std::int64_t parent = windows.parentWindow(link.loggerWindow);
    const std::int64_t grandparent = windows.parentWindow(parent);
    std::int64_t chosen = 0;
    for (int k = 0;; ++k) {
        if (stop) return;
        bool found = true;
        if (titleQualifies(titleOf(windows, parent))) {
            chosen = parent;
        } else if (titleQualifies(titleOf(windows, grandparent))) {
            chosen = grandparent;
        } else {
            found = false;
        }
        link.ports.clock.sleepMs(kIdentPollMs);
        if (k >= kIdentLastPoll) return;
        if (found) break;
    }
    link.ports.clock.sleepMs(kIdentSettleMs);
    if (stop) return;

    const IdentTitle ident = readIdentTitle(titleOf(windows, chosen));
    link.state.diNumber = ident.diNumber;
    if (ident.receiverMark) applyReceiverMark(link);
    link.ports.ui.setWindowTitle(ident.windowTitle);
}

}  // namespace kestrel
