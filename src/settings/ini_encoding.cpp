#include "settings/ini_encoding.h"

#include "text/wide_text.h"

namespace kestrel {
namespace {

constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

bool isBigEndian(IniEncoding encoding) {
    return encoding == IniEncoding::utf16be;
}

}  // namespace

IniDecoded decodeIniBytes(std::string bytes) {
    const std::string_view view = bytes;
    const IniEncoding encoding = view.starts_with(kUtf16LeMark)   ? IniEncoding::utf16le
                                 : view.starts_with(kUtf16BeMark) ? IniEncoding::utf16be
                                                                  : IniEncoding::bytes;
    if (encoding == IniEncoding::bytes) return {encoding, std::move(bytes)};
    if (view.size() % 2 != 0) return {encoding, std::nullopt};
    const int high = isBigEndian(encoding) ? 0 : 1;
    std::u16string units(view.size() / 2 - 1, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto byte = [&](int which) {
            return static_cast<unsigned char>(view[2 * (i + 1) + which]);
        };
        units[i] = static_cast<char16_t>(byte(high) << 8 | byte(1 - high));
    }
    return {encoding, utf8FromUtf16(units)};
}

std::string encodeIniText(std::string_view text, IniEncoding encoding) {
    if (encoding == IniEncoding::bytes) return std::string(text);
    const std::u16string units = utf16FromUtf8(text);
    std::string bytes(isBigEndian(encoding) ? kUtf16BeMark : kUtf16LeMark);
    bytes.reserve(2 * units.size() + 2);
    for (const char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += isBigEndian(encoding) ? high : low;
        bytes += isBigEndian(encoding) ? low : high;
    }
    return bytes;
}

}  // namespace kestrel
