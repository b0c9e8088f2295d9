#pragma once
// The received-text file as a flag: open or not, and which path; opening can be made to
// fail.
#include <string>
#include <vector>

#include "platform/save_text_file_port.h"

namespace kestrel {

class FakeSaveTextFile : public SaveTextFilePort {
  public:
    bool opens = true;  // false: every open fails
    bool open = false;
    std::vector<std::string> openedPaths;
    int closes = 0;

    bool openSaveTextFile(const std::string& path) override {
        openedPaths.push_back(path);
        open = opens;
        return opens;
    }
    void closeSaveTextFile() override {
        open = false;
        ++closes;
    }
};

}  // namespace kestrel
