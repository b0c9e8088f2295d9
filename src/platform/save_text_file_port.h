#pragma once
// The received-text file of the "Save Text" menu command. The user-interface thread
// opens and closes it; the receive side appends characters and flushes, only while
// saveTextActive is 1.
#include <string>
#include <string_view>

namespace kestrel {

class SaveTextFilePort {
  public:
    virtual ~SaveTextFilePort() = default;
    // Opens path for writing as text, creating or emptying it, and denies other writers.
    // False when it cannot be opened.
    virtual bool openSaveTextFile(const std::string& path) = 0;
    virtual void closeSaveTextFile() = 0;
    virtual void writeText(std::string_view text) = 0;
    virtual void flush() = 0;
};

// No received-text file (the command line, the test lab): nothing opens, and writes go
// nowhere.
class NoSaveTextFile final : public SaveTextFilePort {
  public:
    bool openSaveTextFile(const std::string&) override { return false; }
    void closeSaveTextFile() override {}
    void writeText(std::string_view) override {}
    void flush() override {}
};

}  // namespace kestrel
