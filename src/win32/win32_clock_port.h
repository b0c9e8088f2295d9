#pragma once
// The performance counter and sleeps.
#include <windows.h>

#include "platform/clock_port.h"

namespace kestrel::win32 {

class Win32ClockPort final : public ClockPort {
  public:
    std::int64_t counter() override {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return now.QuadPart;
    }
    std::int64_t counterFrequency() override {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return frequency.QuadPart;
    }
    void sleepMs(std::uint32_t ms) override { Sleep(ms); }
};

}  // namespace kestrel::win32
