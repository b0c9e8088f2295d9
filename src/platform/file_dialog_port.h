#pragma once
// The system's file dialogs: a save dialog for text files and an open dialog for sound
// files. Paths are UTF-8.
#include <string>
#include <string_view>

namespace kestrel {

// Dialog results: confirmed, cancelled, or else the dialog's extended error code.
inline constexpr int kFileDialogConfirmed = 1;
inline constexpr int kFileDialogCancelled = 255;

struct FileDialogResult {
    int code = kFileDialogCancelled;
    std::string path;  // the chosen path when confirmed
};

class FileDialogPort {
  public:
    virtual ~FileDialogPort() = default;
    // "Text Files (*.TXT)" / "All Files (*.*)", default extension "txt"; asks before
    // overwriting a file.
    virtual FileDialogResult saveTextFileDialog(std::string_view title,
                                                std::string_view initialName) = 0;
    // "Sound Files (*.wav)" / "All Files (*.*)", default extension "wav".
    virtual FileDialogResult openSoundFileDialog(std::string_view title,
                                                 std::string_view initialName) = 0;
};

}  // namespace kestrel
