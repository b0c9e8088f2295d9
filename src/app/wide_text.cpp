#include "app/wide_text.h"

namespace kestrel {
namespace {

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Bytes of the sequence that starts at text[at], or 1 when it is not a valid lead byte
// followed by enough continuation bytes.
std::size_t sequenceLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (at + length > text.size()) return 1;
    for (std::size_t i = 1; i < length; ++i)
        if (!isContinuation(static_cast<unsigned char>(text[at + i]))) return 1;
    return length;
}

}  // namespace

std::string_view wideCharPrefix(std::string_view utf8, std::size_t maxWideChars) {
    std::size_t at = 0;
    std::size_t units = 0;
    while (at < utf8.size()) {
        const std::size_t length = sequenceLength(utf8, at);
        const std::size_t needed = length == 4 ? 2 : 1;  // beyond the BMP: a surrogate pair
        if (units + needed > maxWideChars) break;
        units += needed;
        at += length;
    }
    return utf8.substr(0, at);
}

}  // namespace kestrel
