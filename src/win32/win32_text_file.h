#pragma once
// The received-text file of "Save Text": opened and closed on the user-interface thread,
// written by the receive side. A lock keeps a write from meeting a close.
#include <cstdio>
#include <mutex>

#include "platform/save_text_file_port.h"

namespace kestrel::win32 {

class Win32TextFile final : public SaveTextFilePort {
  public:
    bool openSaveTextFile(const std::string& path) override;
    void closeSaveTextFile() override;
    void writeText(std::string_view text) override;
    void flush() override;

  private:
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
};

}  // namespace kestrel::win32
