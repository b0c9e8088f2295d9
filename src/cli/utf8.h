#pragma once
// UTF-8 for the characters the receive chain hands out (16-bit, one per call).
#include <string>

namespace kestrel::cli {

// A lone surrogate cannot stand for a character by itself and becomes U+FFFD.
inline std::string utf8(char16_t c) {
    const unsigned v = (c >= 0xD800 && c <= 0xDFFF) ? 0xFFFDu : c;
    std::string out;
    if (v < 0x80) {
        out += static_cast<char>(v);
    } else if (v < 0x800) {
        out += static_cast<char>(0xC0 | (v >> 6));
        out += static_cast<char>(0x80 | (v & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (v >> 12));
        out += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (v & 0x3F));
    }
    return out;
}

}  // namespace kestrel::cli
