#pragma once
// Profile (INI) files on disk, in the manner of the Windows profile functions: every
// read reads the file, every write changes it at once. Paths are UTF-8.
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

enum class IniFileState { missing, readable, unreadable };

// Whether path names a file that can be read (a folder, a device or a file that cannot
// be opened is unreadable).
IniFileState iniFileState(const std::string& path);

// The value of key in section; nothing when the file, the section or the key is
// missing, or the file cannot be read.
std::optional<std::string> readIniValue(const std::string& path, std::string_view section,
                                        std::string_view key);

// Sets key in section and writes the file at once, creating it when it does not exist.
// The new text goes to a temporary file beside it that then replaces it, so the file
// is whole at every moment. Returns false and leaves the file as it was when it cannot
// be read (rewriting it would lose what it holds), is read-only, or cannot be replaced.
bool writeIniValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value);

}  // namespace kestrel
