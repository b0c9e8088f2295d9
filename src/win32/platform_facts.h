#pragma once
// What the computer Kestrel starts on offers: the Windows version, 64 bits, AVX.
#include "platform/platform_facts_port.h"

namespace kestrel::win32 {

class Win32PlatformFacts final : public PlatformFactsPort {
  public:
    PlatformFacts probePlatform() override;
};

}  // namespace kestrel::win32
