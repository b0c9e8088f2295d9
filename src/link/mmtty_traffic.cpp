#include "link/mmtty_traffic.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "link/logger_codes.h"

namespace kestrel {
namespace {

struct CodeName {
    std::uint32_t code;
    std::string_view name;
};

#define KESTREL_CODE_NAME(code) \
    CodeName {                  \
        code, #code             \
    }

constexpr std::array kCodeNames{
    KESTREL_CODE_NAME(RXM_HANDLE),     KESTREL_CODE_NAME(RXM_REQHANDLE),
    KESTREL_CODE_NAME(RXM_EXIT),       KESTREL_CODE_NAME(RXM_PTT),
    KESTREL_CODE_NAME(RXM_CHAR),       KESTREL_CODE_NAME(RXM_WINPOS),
    KESTREL_CODE_NAME(RXM_WIDTH),      KESTREL_CODE_NAME(RXM_REQPARA),
    KESTREL_CODE_NAME(RXM_SETBAUD),    KESTREL_CODE_NAME(RXM_SETMARK),
    KESTREL_CODE_NAME(RXM_SETSPACE),   KESTREL_CODE_NAME(RXM_SETSWITCH),
    KESTREL_CODE_NAME(RXM_SETHAM),     KESTREL_CODE_NAME(RXM_SHOWSETUP),
    KESTREL_CODE_NAME(RXM_SETVIEW),    KESTREL_CODE_NAME(RXM_SETSQLVL),
    KESTREL_CODE_NAME(RXM_SHOW),       KESTREL_CODE_NAME(RXM_SETFIG),
    KESTREL_CODE_NAME(RXM_SETRESO),    KESTREL_CODE_NAME(RXM_SETLPF),
    KESTREL_CODE_NAME(RXM_SETTXDELAY), KESTREL_CODE_NAME(RXM_UPDATECOM),
    KESTREL_CODE_NAME(RXM_SUSPEND),    KESTREL_CODE_NAME(RXM_NOTCH),
    KESTREL_CODE_NAME(RXM_PROFILE),    KESTREL_CODE_NAME(RXM_TIMER),
    KESTREL_CODE_NAME(RXM_ENBFOCUS),   KESTREL_CODE_NAME(RXM_SETDEFFREQ),
    KESTREL_CODE_NAME(RXM_SETLENGTH),  KESTREL_CODE_NAME(RXM_ENBSHARED),
    KESTREL_CODE_NAME(TXM_HANDLE),     KESTREL_CODE_NAME(TXM_REQHANDLE),
    KESTREL_CODE_NAME(TXM_START),      KESTREL_CODE_NAME(TXM_CHAR),
    KESTREL_CODE_NAME(TXM_PTTEVENT),   KESTREL_CODE_NAME(TXM_WIDTH),
    KESTREL_CODE_NAME(TXM_BAUD),       KESTREL_CODE_NAME(TXM_MARK),
    KESTREL_CODE_NAME(TXM_SPACE),      KESTREL_CODE_NAME(TXM_SWITCH),
    KESTREL_CODE_NAME(TXM_VIEW),       KESTREL_CODE_NAME(TXM_LEVEL),
    KESTREL_CODE_NAME(TXM_FIGEVENT),   KESTREL_CODE_NAME(TXM_RESO),
    KESTREL_CODE_NAME(TXM_LPF),        KESTREL_CODE_NAME(TXM_THREAD),
    KESTREL_CODE_NAME(TXM_PROFILE),    KESTREL_CODE_NAME(TXM_NOTCH),
    KESTREL_CODE_NAME(TXM_DEFSHIFT),   KESTREL_CODE_NAME(TXM_RADIOFREQ),
};

#undef KESTREL_CODE_NAME

bool carriesCharacter(std::uint32_t code) {
    return code == TXM_CHAR || code == RXM_CHAR;
}

}  // namespace

std::string mmttyCodeName(std::uint32_t code) {
    for (const CodeName& entry : kCodeNames) {
        if (entry.code == code) return std::string(entry.name);
    }
    return std::to_string(code);
}

std::optional<std::uint32_t> parseMmttyCode(std::string_view text) {
    for (const CodeName& entry : kCodeNames) {
        if (entry.name == text) return entry.code;
    }
    const std::optional<std::int64_t> number = parseInteger(text);
    if (!number || *number < 0 || *number > 0xFFFFFFFFLL) return std::nullopt;
    return static_cast<std::uint32_t>(*number);
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
    int base = 10;
    bool negative = false;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.starts_with('-')) {
        negative = true;
        text.remove_prefix(1);
    }
    // from_chars would accept a second sign; only digits may follow.
    if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
    std::uint64_t magnitude = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (magnitude > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
    const auto value = static_cast<std::int64_t>(magnitude);
    return negative ? -value : value;
}

std::string formatTraffic(std::int64_t ms, Direction direction, std::uint32_t code,
                          std::int64_t value) {
    std::string text(1, static_cast<char>(direction));
    text += ' ' + mmttyCodeName(code) + ' ' + std::to_string(value);
    if (carriesCharacter(code) && value >= 32 && value < 127) {
        text += " '";
        text += static_cast<char>(value);
        text += '\'';
    }
    return stampedLine(ms, text);
}

std::string stampedLine(std::int64_t ms, std::string_view text) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%6lld ", static_cast<long long>(ms));
    return stamp + std::string(text);
}

}  // namespace kestrel
