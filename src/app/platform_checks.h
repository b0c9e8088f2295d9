#pragma once
// What Kestrel asks of the computer before it starts: Windows 8 or later, a 64-bit
// system, and a processor with AVX.
#include "platform/platform_facts_port.h"
#include "platform/ui_port.h"
#include "text/captions.h"

namespace kestrel {

inline constexpr const char* kNeedWindows8Message = "Windows 8 or newer required";
inline constexpr const char* kNeed64BitMessage = "Windows 64bit is required";
// Says what is missing: there is no Kestrel for processors without AVX to point to.
inline constexpr const char* kNeedAvxMessage =
    "This processor lacks the AVX instructions Kestrel needs";

// The exit code of a start Kestrel refuses (an unsupported computer, no logger): never 0,
// which a logger or a script reads as success.
inline constexpr int kRefusedExitCode = 1;

// The message for the first requirement the platform misses, in the order above;
// nullptr when it has them all.
const char* platformCheckMessage(const PlatformFacts& facts);

// Asks the platform for its facts; when it misses a requirement, shows that message
// (caption "Kestrel Info", kept on top) and returns false.
bool platformAccepted(PlatformFactsPort& platform, UiPort& ui);

}  // namespace kestrel
