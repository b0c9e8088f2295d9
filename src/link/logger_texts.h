#pragma once
// Texts the logger link shows the user.

namespace kestrel {

inline constexpr const char* kErrorCaption = "Kestrel Error";
inline constexpr const char* kStandaloneMessage =
    "Kestrel does not work standalone\nUse with a logging program like\n        N1MM+ or Logger32";

}  // namespace kestrel
