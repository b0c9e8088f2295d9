#pragma once
// Kestrel.ini: every setting of the program, in the one section "Kestrel Modem" of the
// file beside the executable. Nothing is cached between reads: a read of one setting
// reads the file, a load of many reads it once, and each write changes it at once.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/ini_file.h"

namespace kestrel {

constexpr std::string_view kSettingsSection = "Kestrel Modem";

// The settings file of the executable at exePath (UTF-8): its last three characters,
// the extension, replaced by "ini", so "C:\Radio\Kestrel.exe" uses "C:\Radio\Kestrel.ini".
std::string settingsPath(std::string_view exePath);

// The three ways integers are written: "%1.1d" plain, "%4.4d" and "%5.5d" zero-padded
// to at least four or five digits (10 is written "0010").
enum class IntFormat { plain, fourDigits, fiveDigits };
std::string formatSettingInt(std::int32_t value, IntFormat format);

// The settings as one read of the file found them. A file that is not readable gives
// every default.
class SettingsSnapshot {
  public:
    explicit SettingsSnapshot(const IniFile& file);

    IniFileState fileState() const { return state_; }

    // A decimal integer, optionally signed, read up to its first non-digit; the default
    // when the key is missing or its value does not start with a number. Values beyond
    // 32 bits give the nearest 32-bit value.
    std::int32_t readSettingInt(std::string_view key, std::int32_t defaultValue) const;

    // The value, or the default when the key is missing, cut to capacity - 1 characters
    // (UTF-16 units, as Windows counts them): the room a buffer of capacity characters
    // leaves beside its terminator.
    std::string readSettingString(std::string_view key, std::string_view defaultValue,
                                  std::size_t capacity) const;

  private:
    IniFileState state_;
    IniText section_;  // Kestrel's section alone
};

struct SettingsStore {
    std::string path;  // settingsPath(), or any file a test or kestrel-cli names

    // Reads the file once, for a load of many settings.
    SettingsSnapshot snapshot() const { return SettingsSnapshot(readIniFile(path)); }

    // One setting, as SettingsSnapshot reads it, from a fresh read of the file.
    std::int32_t readSettingInt(std::string_view key, std::int32_t defaultValue) const {
        return snapshot().readSettingInt(key, defaultValue);
    }
    std::string readSettingString(std::string_view key, std::string_view defaultValue,
                                  std::size_t capacity) const {
        return snapshot().readSettingString(key, defaultValue, capacity);
    }

    // Writes at once. A failure changes nothing and is not reported to the user (a file
    // refused at the load was reported then); the result is there for those who care.
    bool writeSetting(std::string_view key, std::string_view text) const;
    bool writeSettingInt(std::string_view key, std::int32_t value,
                         IntFormat format = IntFormat::plain) const;
};

}  // namespace kestrel
