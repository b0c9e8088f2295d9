#pragma once
// Opening and closing the received-text file of the "Save Text" menu command. While it
// is open the receive side writes to it through TextSinkPort.
#include <string>

namespace kestrel {

class SaveTextFilePort {
  public:
    virtual ~SaveTextFilePort() = default;
    // Opens path for writing as text, creating or emptying it, and denies other writers.
    // False when it cannot be opened.
    virtual bool openSaveTextFile(const std::string& path) = 0;
    virtual void closeSaveTextFile() = 0;
};

}  // namespace kestrel
