#pragma once
// Texts the logger link shows the user.

namespace kestrel {

inline constexpr const char* kStandaloneMessage =
    "Kestrel does not work standalone\nUse with a logging program like\n        N1MM+ or Logger32";
inline constexpr const char* kDifferentHandleMessage = "different hWnd";
inline constexpr const char* kPttDefaultMessage = "RXM_PTT Default received";
inline constexpr const char* kMarkRangeMessage = "Kestrel Mark tone must be between 250 and 3000Hz";
inline constexpr const char* kSpaceRangeMessage =
    "Kestrel Space tone must be between 250 and 3000Hz";
inline constexpr const char* kUnknownCommandFormat =
    "N1MM Proc line 837 RXM defaulted at hexadecimal %x";

}  // namespace kestrel
