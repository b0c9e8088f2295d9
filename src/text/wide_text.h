#pragma once
// Lengths in the units Windows counts text in. The core holds UTF-8; the profile
// functions and the sound system count UTF-16 code units ("wide characters"), so a
// buffer of 100 characters or a device-name field of 32 is measured in those.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// The longest start of a UTF-8 text that fits in maxBytes without splitting a character.
std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes);

// The longest start of utf8 that fits in maxWideChars UTF-16 units without splitting a
// character. A byte that is not part of a valid sequence counts as one unit, as the
// conversion to UTF-16 would replace it with one.
std::string_view wideCharPrefix(std::string_view utf8, std::size_t maxWideChars);

// UTF-16 text in UTF-8; nothing when a surrogate stands without its partner, since such
// text cannot be written back as it was.
std::optional<std::string> utf8FromUtf16(std::u16string_view utf16);

// One character in UTF-8 at the end of out.
void appendUtf8(std::string& out, char32_t c);

// One UTF-16 unit, as the receive chain hands characters out, in UTF-8. A lone surrogate
// cannot stand for a character by itself and becomes U+FFFD.
std::string utf8FromUnit(char16_t unit);

// UTF-8 text in UTF-16. A byte that is not part of a valid sequence, and a sequence that
// stands for a surrogate or lies beyond U+10FFFF, becomes U+FFFD.
std::u16string utf16FromUtf8(std::string_view utf8);

}  // namespace kestrel
