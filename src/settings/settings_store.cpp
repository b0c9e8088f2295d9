#include "settings/settings_store.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>

#include "text/wide_text.h"

namespace kestrel {
namespace {

// Optional sign, then decimal digits up to the first other character; saturates at the
// 32-bit limits. Nothing when no digit follows the sign.
std::optional<std::int32_t> parseLeadingInt(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    const std::int64_t limit =
        negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                 : std::numeric_limits<std::int32_t>::max();
    std::int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        magnitude = std::min(magnitude * 10 + (c - '0'), limit);
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace

std::string settingsPath(std::string_view exePath) {
    // The last three characters go, whole UTF-8 sequences each.
    for (int i = 0; i < 3 && !exePath.empty(); ++i)
        exePath = utf8Prefix(exePath, exePath.size() - 1);
    return std::string(exePath) + "ini";
}

std::string formatSettingInt(std::int32_t value, IntFormat format) {
    const char* pattern = format == IntFormat::fourDigits   ? "%4.4d"
                          : format == IntFormat::fiveDigits ? "%5.5d"
                                                            : "%1.1d";
    char text[16];
    std::snprintf(text, sizeof text, pattern, static_cast<int>(value));
    return text;
}

SettingsSnapshot::SettingsSnapshot(const IniFile& file)
    : state_(file.state),
      section_(file.state == IniFileState::readable ? file.text.sectionOnly(kSettingsSection)
                                                    : IniText()) {}

std::int32_t SettingsSnapshot::readSettingInt(std::string_view key,
                                              std::int32_t defaultValue) const {
    const std::optional<std::string> text = section_.value(kSettingsSection, key);
    if (!text) return defaultValue;
    return parseLeadingInt(*text).value_or(defaultValue);
}

std::string SettingsSnapshot::readSettingString(std::string_view key, std::string_view defaultValue,
                                                std::size_t capacity) const {
    if (capacity == 0) return {};
    const std::optional<std::string> text = section_.value(kSettingsSection, key);
    return std::string(wideCharPrefix(text ? *text : defaultValue, capacity - 1));
}

bool SettingsStore::writeSetting(std::string_view key, std::string_view text) const {
    return writeIniValue(path, kSettingsSection, key, text);
}

bool SettingsStore::writeSettingInt(std::string_view key, std::int32_t value,
                                    IntFormat format) const {
    return writeSetting(key, formatSettingInt(value, format));
}

}  // namespace kestrel
