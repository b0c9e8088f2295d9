#include "app/command_line.h"

#include <cstdint>
#include <cwctype>
#include <limits>

namespace kestrel {
namespace {

// The handle text goes into a buffer of 16 wide characters: "0x", at most 13 digits
// and the terminator.
constexpr std::size_t kMaxHandleDigits = 13;

bool isBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

int hexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Converts like wcstol(text, nullptr, 16) with a 32-bit long: digits up to the first
// non-hexadecimal character, 0 without any, LONG_MAX on overflow.
std::int64_t convertHandle(std::wstring_view digits) {
    std::int64_t value = 0;
    for (wchar_t c : digits) {
        const int v = hexValue(static_cast<wchar_t>(std::towupper(c)));
        if (v < 0) break;
        value = value * 16 + v;
        if (value > std::numeric_limits<std::int32_t>::max())
            return std::numeric_limits<std::int32_t>::max();
    }
    return value;
}

}  // namespace

CommandLine parseCommandLine(std::wstring_view line) {
    CommandLine result;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if (line[i] != L'-') continue;
        if (line[i + 1] == L'r') {
            ++result.startSwitchCount;
        } else if (line[i + 1] == L'h') {
            ++result.startSwitchCount;
            std::size_t end = i + 2;
            while (end < line.size() && !isBlank(line[end])) ++end;
            std::wstring_view digits = line.substr(i + 2, end - (i + 2));
            if (digits.size() > kMaxHandleDigits) digits = digits.substr(0, kMaxHandleDigits);
            result.loggerWindow = convertHandle(digits);
        }
    }
    return result;
}

}  // namespace kestrel
