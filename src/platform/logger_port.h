#pragma once
// How the core notifies the host logger. The Win32 shell posts the registered "MMTTY"
// message to the logger window; tests record the calls.
#include <cstdint>

namespace kestrel {

class LoggerPort {
public:
    virtual ~LoggerPort() = default;
    // Posts one notification (code in the first message parameter, value in the
    // second). Callable from any thread. Returns false when the post failed.
    virtual bool post(std::uint32_t code, std::int64_t value) = 0;
};

}  // namespace kestrel
