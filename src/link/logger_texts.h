#pragma once
// Texts the logger link shows the user, and the controls it touches.
#include "app/ui_ids.h"

namespace kestrel {

inline constexpr const char* kErrorCaption = "Kestrel Error";
inline constexpr const char* kStandaloneMessage =
    "Kestrel does not work standalone\nUse with a logging program like\n        N1MM+ or Logger32";
inline constexpr const char* kDifferentHandleMessage = "different hWnd";
inline constexpr const char* kPttDefaultMessage = "RXM_PTT Default received";
inline constexpr const char* kMarkRangeMessage = "Kestrel Mark tone must be between 250 and 3000Hz";
inline constexpr const char* kSpaceRangeMessage =
    "Kestrel Space tone must be between 250 and 3000Hz";
inline constexpr const char* kUnknownCommandFormat =
    "N1MM Proc line 837 RXM defaulted at hexadecimal %x";

inline constexpr const char* kAfcOnCaption = "AFC on";
inline constexpr const char* kAfcOffCaption = "AFC off";
inline constexpr const char* kNetOnStatus = "Net On";
inline constexpr const char* kNetOffStatus = "Net Off";
inline constexpr const char* kFskStatus = "  FSK";

}  // namespace kestrel
