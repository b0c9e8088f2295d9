#pragma once
// The logger's named shared memory "MMTTY", mapped whole with read and write access. The
// mapping stays until the process ends.
#include <windows.h>

#include "platform/shared_block_port.h"

namespace kestrel::win32 {

class Win32SharedBlockPort final : public SharedBlockPort {
  public:
    std::span<std::byte> openSharedBlock() override {
        const HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, L"MMTTY");
        if (mapping == nullptr) return {};
        void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
        if (view == nullptr) {
            CloseHandle(mapping);
            return {};
        }
        // The view is rounded up to whole pages; the logger's block is at least that long.
        MEMORY_BASIC_INFORMATION region{};
        VirtualQuery(view, &region, sizeof region);
        return {static_cast<std::byte*>(view), region.RegionSize};
    }
};

}  // namespace kestrel::win32
