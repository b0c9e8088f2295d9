#pragma once
// Records what the core posts to the main window and the transmit window. The window
// handle can be made to appear only after a number of asks.
#include <cstdint>
#include <vector>

#include "platform/main_window_port.h"

namespace kestrel {

class FakeMainWindow : public MainWindowPort {
  public:
    std::int64_t handle = 0x5150;
    std::uint32_t threadId = 4321;
    int handleMissingForAsks = 0;  // asks answered with 0 before the handle appears

    int closes = 0;
    int quits = 0;
    int sizes = 0;
    std::vector<std::int64_t> txChars;
    std::vector<int> menuCommands;

    std::int64_t mainWindowHandle() override {
        if (handleMissingForAsks > 0) {
            --handleMissingForAsks;
            return 0;
        }
        return handle;
    }
    std::uint32_t uiThreadId() override { return threadId; }
    void postClose() override { ++closes; }
    void postQuit() override { ++quits; }
    void postTxChar(std::int64_t character) override { txChars.push_back(character); }
    void postMenuCommand(int itemId) override { menuCommands.push_back(itemId); }
    void postSize() override { ++sizes; }
};

}  // namespace kestrel
