#include "loggersim/traffic.h"

#include <charconv>
#include <cstdio>

#include "link/logger_code_names.h"
#include "platform/logger_codes.h"

namespace kestrel {
namespace {

bool carriesCharacter(std::uint32_t code) {
    return code == TXM_CHAR || code == RXM_CHAR;
}

}  // namespace

std::optional<std::uint32_t> parseMmttyCode(std::string_view text) {
    if (const std::optional<std::uint32_t> named = mmttyCodeNamed(text)) return named;
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
