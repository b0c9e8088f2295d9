#pragma once
// File dialogs that answer with a prepared result and record what they were shown.
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_dialog_port.h"

namespace kestrel {

struct FileDialogShown {
    std::string kind;  // "save text" or "open sound"
    std::string title;
    std::string initialName;
    bool operator==(const FileDialogShown&) const = default;
};

class FakeFileDialogs : public FileDialogPort {
  public:
    FileDialogResult answer{kFileDialogCancelled, ""};
    std::vector<FileDialogShown> shown;

    FileDialogResult saveTextFileDialog(std::string_view title,
                                        std::string_view initialName) override {
        shown.push_back({"save text", std::string(title), std::string(initialName)});
        return answer;
    }
    FileDialogResult openSoundFileDialog(std::string_view title,
                                         std::string_view initialName) override {
        shown.push_back({"open sound", std::string(title), std::string(initialName)});
        return answer;
    }
};

}  // namespace kestrel
