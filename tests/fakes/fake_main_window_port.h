#pragma once
// Records what the core posts to the main window and the transmit window.
#include <cstdint>
#include <vector>

#include "platform/main_window_port.h"

namespace kestrel {

class FakeMainWindow : public MainWindowPort {
  public:
    int quits = 0;
    int sizes = 0;
    std::vector<std::int64_t> txChars;

    std::int64_t mainWindowHandle() override { return 0x5150; }
    std::uint32_t uiThreadId() override { return 4321; }
    void postClose() override {}
    void postQuit() override { ++quits; }
    void postTxChar(std::int64_t character) override { txChars.push_back(character); }
    void postMenuCommand(int) override {}
    void postSize() override { ++sizes; }
};

}  // namespace kestrel
