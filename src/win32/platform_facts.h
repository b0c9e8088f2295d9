#pragma once
// What the computer Kestrel starts on offers: the Windows version, 64 bits, AVX.
#include "app/platform_checks.h"

namespace kestrel::win32 {

PlatformFacts probePlatform();

}  // namespace kestrel::win32
