#pragma once
// The common file dialogs, owned by the main window.
#include "platform/file_dialog_port.h"
#include "shell_windows.h"

namespace kestrel::win32 {

class Win32FileDialogPort final : public FileDialogPort {
  public:
    explicit Win32FileDialogPort(ShellWindows& windows) : windows_(windows) {}

    FileDialogResult saveTextFileDialog(std::string_view title,
                                        std::string_view initialName) override;
    FileDialogResult openSoundFileDialog(std::string_view title,
                                         std::string_view initialName) override;

  private:
    ShellWindows& windows_;
};

}  // namespace kestrel::win32
