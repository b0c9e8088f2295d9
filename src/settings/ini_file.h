#pragma once
// Profile (INI) files on disk, in the manner of the Windows profile functions: a read
// takes the whole file at once, every write changes it at once. Paths are UTF-8.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ini_encoding.h"
#include "settings/ini_text.h"

namespace kestrel {

// A settings file is a few kilobytes; anything beyond this is not one, and reading it
// would only cost memory and time.
inline constexpr std::uintmax_t kLargestIniFile = 4 * 1024 * 1024;

// unreadable: a folder, a device or a file that cannot be opened; tooLarge: more than
// kLargestIniFile bytes; notText: marked as UTF-16 but not UTF-16. A file in any state
// but readable and missing is never written.
enum class IniFileState { missing, readable, unreadable, tooLarge, notText };

// A profile file as one read found it, its text in UTF-8 whatever its encoding.
struct IniFile {
    IniFileState state = IniFileState::missing;
    IniEncoding encoding = IniEncoding::bytes;
    IniText text;  // empty unless readable
};

IniFile readIniFile(const std::string& path);

// Sets key in section and writes the file at once, in its own encoding, creating it
// when it does not exist. The new text goes to a temporary file beside it that then
// replaces it, so the file is whole at every moment. Returns false and leaves the file
// as it was when it is not readable (rewriting it would lose what it holds), is
// read-only, or cannot be replaced.
bool writeIniValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value);

}  // namespace kestrel
