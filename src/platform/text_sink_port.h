#pragma once
// The received-text file of the "Save Text" menu command, as the receive code sees it:
// the shell owns the open file; the receive side only appends characters and flushes.
// It is written only while saveTextActive is 1.
#include <string_view>

namespace kestrel {

class TextSinkPort {
  public:
    virtual ~TextSinkPort() = default;
    virtual void writeText(std::string_view text) = 0;
    virtual void flush() = 0;
};

}  // namespace kestrel
