#pragma once
// What Kestrel asks of the computer before it starts: Windows 8 or later, a 64-bit
// system, and a processor with AVX.
#include "text/captions.h"

namespace kestrel {

inline constexpr const char* kNeedWindows8Message = "Windows 8 or newer required";
inline constexpr const char* kNeed64BitMessage = "Windows 64bit is required";
inline constexpr const char* kNeedAvxMessage =
    " CPU with AVX instructions required unlike this CPU\nUse Kestrel version 21.03a ";

struct PlatformFacts {
    bool windows8OrLater = false;
    bool system64Bit = false;
    bool processorHasAvx = false;
};

// The message for the first requirement the platform misses, in the order above;
// nullptr when it has them all.
const char* platformCheckMessage(const PlatformFacts& facts);

}  // namespace kestrel
