#include "text/wide_text.h"

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

constexpr char32_t kReplacement = 0xFFFD;

bool isSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// The character of the valid sequence of length bytes at text[at].
char32_t decodeSequence(std::string_view text, std::size_t at, std::size_t length) {
    static constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t c = static_cast<unsigned char>(text[at]) & kLeadBits[length];
    for (std::size_t i = 1; i < length; ++i)
        c = (c << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    return c;
}

}  // namespace

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    const int continuations = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    static constexpr unsigned char kLeads[] = {0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLeads[continuations] | (c >> (6 * continuations)));
    for (int i = continuations - 1; i >= 0; --i)
        out += static_cast<char>(0x80 | ((c >> (6 * i)) & 0x3F));
}

std::string utf8FromUnit(char16_t unit) {
    std::string out;
    appendUtf8(out, isSurrogate(unit) ? kReplacement : unit);
    return out;
}

std::optional<std::string> utf8FromUtf16(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (isSurrogate(c)) {
            const bool paired = c < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
                                utf16[i + 1] <= 0xDFFF;
            if (!paired) return std::nullopt;
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        }
        appendUtf8(out, c);
    }
    return out;
}

std::u16string utf16FromUtf8(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = sequenceLength(utf8, at);
        const bool stray = length == 1 && static_cast<unsigned char>(utf8[at]) >= 0x80;
        char32_t c = stray ? kReplacement : decodeSequence(utf8, at, length);
        if (isSurrogate(c) || c > 0x10FFFF) c = kReplacement;
        at += length;
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
            continue;
        }
        out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
    return out;
}

std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t end = maxBytes;
    while (end > 0 && isContinuation(static_cast<unsigned char>(text[end]))) --end;
    return text.substr(0, end);
}

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
