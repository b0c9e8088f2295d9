#pragma once
// Records what the core asks of the user interface.
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui_port.h"

namespace kestrel {

class FakeUiPort : public UiPort {
  public:
    int messageBox(std::string_view text, std::string_view caption, unsigned flags) override {
        messageBoxes.push_back({std::string(text), std::string(caption), flags});
        return messageBoxResult;
    }
    void setStatusText(int part, std::string_view text) override {
        statusTexts.emplace_back(part, std::string(text));
        status[part] = std::string(text);
    }
    void setControlCaption(int controlId, std::string_view text) override {
        captions[controlId] = std::string(text);
    }
    void checkMenuItem(int itemId, bool checked) override { menuChecks[itemId] = checked; }
    void enableMenuItem(int itemId, bool enabled) override { menuEnabled[itemId] = enabled; }
    void setWindowTitle(std::string_view title) override { windowTitle = std::string(title); }
    void requestSpectrumRepaint() override { ++repaintRequests; }

    struct MessageBox {
        std::string text;
        std::string caption;
        unsigned flags;
    };
    std::vector<MessageBox> messageBoxes;
    int messageBoxResult = kIdOk;
    std::vector<std::pair<int, std::string>> statusTexts;  // in order
    std::map<int, std::string> status;                     // latest per part
    std::map<int, std::string> captions;
    std::map<int, bool> menuChecks;
    std::map<int, bool> menuEnabled;
    std::string windowTitle;
    int repaintRequests = 0;
};

}  // namespace kestrel
