#pragma once
// How a profile (INI) file's bytes hold its text, read as the Windows profile functions
// read it: UTF-16 of either byte order behind its byte-order mark, otherwise the bytes
// themselves (ANSI, or UTF-8 with or without its mark, which the text keeps). Kestrel
// edits the text in UTF-8 and writes it back in the file's own encoding.
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

enum class IniEncoding { bytes, utf16le, utf16be };

struct IniDecoded {
    IniEncoding encoding = IniEncoding::bytes;
    // The text in UTF-8 (without a UTF-16 byte-order mark); nothing when the file is
    // marked as UTF-16 but is not UTF-16 (an odd length, a lone surrogate).
    std::optional<std::string> text;
};

IniDecoded decodeIniBytes(std::string bytes);

// The bytes of text in encoding, with the byte-order mark UTF-16 starts with.
std::string encodeIniText(std::string_view text, IniEncoding encoding);

}  // namespace kestrel
