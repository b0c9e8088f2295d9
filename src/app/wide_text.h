#pragma once
// Lengths in the units Windows counts text in. The core holds UTF-8; the profile
// functions and the sound system count UTF-16 code units ("wide characters"), so a
// buffer of 100 characters or a device-name field of 32 is measured in those.
#include <cstddef>
#include <string_view>

namespace kestrel {

// The longest start of utf8 that fits in maxWideChars UTF-16 units without splitting a
// character. A byte that is not part of a valid sequence counts as one unit, as the
// conversion to UTF-16 would replace it with one.
std::string_view wideCharPrefix(std::string_view utf8, std::size_t maxWideChars);

}  // namespace kestrel
