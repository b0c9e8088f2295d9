#pragma once
// A UiPort that records what the core asks of the user interface.
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui_port.h"

namespace kestrel {

class RecordingUi : public UiPort {
  public:
    struct Box {
        std::string text;
        std::string caption;
        unsigned flags;
    };

    int messageBox(std::string_view text, std::string_view caption, unsigned flags) override {
        boxes.push_back({std::string(text), std::string(caption), flags});
        return boxAnswer;
    }
    void setStatusText(int part, std::string_view text) override {
        statusTexts.emplace_back(part, std::string(text));
    }
    void setControlCaption(int controlId, std::string_view text) override {
        captions.emplace_back(controlId, std::string(text));
    }
    void checkMenuItem(int itemId, bool checked) override { checks.emplace_back(itemId, checked); }
    void enableMenuItem(int itemId, bool enabled) override {
        enables.emplace_back(itemId, enabled);
    }
    void setWindowTitle(std::string_view title) override { titles.emplace_back(title); }
    void requestSpectrumRepaint() override { ++repaints; }

    int boxAnswer = kIdOk;
    std::vector<Box> boxes;
    std::vector<std::pair<int, std::string>> statusTexts;
    std::vector<std::pair<int, std::string>> captions;
    std::vector<std::pair<int, bool>> checks;
    std::vector<std::pair<int, bool>> enables;
    std::vector<std::string> titles;
    int repaints = 0;
};

}  // namespace kestrel
