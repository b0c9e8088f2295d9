#pragma once
// Records what is written to the received-text file and where it was flushed.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_sink_port.h"

namespace kestrel {

class FakeTextSinkPort : public TextSinkPort {
  public:
    void writeText(std::string_view text) override { written += text; }
    void flush() override { flushedAt.push_back(written.size()); }

    std::string written;
    std::vector<std::size_t> flushedAt;  // length of written at each flush
};

}  // namespace kestrel
