#pragma once
// The logger's named shared memory block "MMTTY". The Win32 shell opens the mapping
// with full access and maps all of it; tests hand out a plain buffer.
#include <cstddef>
#include <span>

namespace kestrel {

class SharedBlockPort {
  public:
    virtual ~SharedBlockPort() = default;
    // Maps the block and returns its bytes; an empty span when the logger has not
    // created it. A mapping handed out stays valid until the process ends.
    virtual std::span<std::byte> openSharedBlock() = 0;
};

}  // namespace kestrel
