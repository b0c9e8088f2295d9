#pragma once
// The text of a profile (INI) file, read and edited the way the Windows profile
// functions do: "[Section]" lines open a section, "Key=Value" lines inside it hold the
// values. Section and key names match without regard to ASCII letter case; blanks
// around names and values do not count; the first matching section and the first
// matching key in it win. Edits touch only the line they change (or add), so other
// sections, comments, blank lines, a UTF-8 byte-order mark and the file's own line
// ends stay byte for byte as they were.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

class IniText {
  public:
    IniText() = default;
    explicit IniText(std::string bytes) : bytes_(std::move(bytes)) {}

    // The value of key in section, or nothing when either is missing. One pair of
    // matching quotes around the value is removed, and the value ends at a NUL byte.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // Sets key in section: an existing key's value is replaced in place, a new key goes
    // after the last key of the section, a missing section is appended to the text.
    // The value ends at the first line break or NUL, so it cannot add lines. Returns
    // false, changing nothing, for a key or section name that could not be read back.
    bool setValue(std::string_view section, std::string_view key, std::string_view value);

    // The first matching section alone, its header and key lines, which give the same
    // values for it: many reads of one section then cost no more than its size.
    IniText sectionOnly(std::string_view section) const;

    const std::string& bytes() const { return bytes_; }

  private:
    std::string bytes_;
};

}  // namespace kestrel
