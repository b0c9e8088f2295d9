#pragma once
// Numbers typed by a person or sent by a peer: the whole text is the number, or there is none.
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <system_error>
#include <type_traits>

namespace kestrel {

// text read as one number of type T: nothing before it or after it, in T's range, and
// finite ("inf" and "nan" read as numbers, but no setting takes them).
template <typename T>
std::optional<T> numberIn(std::string_view text) {
    T value{};
    const char* const last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (error != std::errc() || end != last) return std::nullopt;
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(value)) return std::nullopt;
    }
    return value;
}

}  // namespace kestrel
