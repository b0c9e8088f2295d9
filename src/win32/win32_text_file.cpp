#include "win32_text_file.h"

#include <share.h>

#include "text.h"

namespace kestrel::win32 {

bool Win32TextFile::openSaveTextFile(const std::string& path) {
    std::FILE* opened = _wfsopen(widen(path).c_str(), L"wt", _SH_DENYWR);
    if (opened == nullptr) return false;
    std::lock_guard lock(mutex_);
    if (file_ != nullptr) std::fclose(file_);
    file_ = opened;
    return true;
}

void Win32TextFile::closeSaveTextFile() {
    std::lock_guard lock(mutex_);
    if (file_ == nullptr) return;
    std::fclose(file_);
    file_ = nullptr;
}

void Win32TextFile::writeText(std::string_view text) {
    std::lock_guard lock(mutex_);
    if (file_ != nullptr) std::fwrite(text.data(), 1, text.size(), file_);
}

void Win32TextFile::flush() {
    std::lock_guard lock(mutex_);
    if (file_ != nullptr) std::fflush(file_);
}

}  // namespace kestrel::win32
