#pragma once
// Records what the core asks of the user interface; message boxes answer `answer`.
#include <mutex>
#include <string>
#include <vector>

#include "platform/ui_port.h"

namespace kestrel {

struct MessageBoxCall {
    std::string text;
    std::string caption;
    unsigned flags;
};

class FakeUiPort : public UiPort {
  public:
    int messageBox(std::string_view text, std::string_view caption, unsigned flags) override {
        std::lock_guard lock(mutex_);
        boxes_.push_back({std::string(text), std::string(caption), flags});
        return answer;
    }
    void setStatusText(int part, std::string_view text) override {
        std::lock_guard lock(mutex_);
        statusTexts.emplace_back(part, std::string(text));
    }
    void setControlCaption(int controlId, std::string_view text) override {
        std::lock_guard lock(mutex_);
        captions.emplace_back(controlId, std::string(text));
    }
    void checkMenuItem(int itemId, bool checked) override {
        std::lock_guard lock(mutex_);
        menuChecks.emplace_back(itemId, checked);
    }
    void enableMenuItem(int itemId, bool enabled) override {
        std::lock_guard lock(mutex_);
        menuEnables.emplace_back(itemId, enabled);
    }
    void setWindowTitle(std::string_view title) override {
        std::lock_guard lock(mutex_);
        titles.emplace_back(title);
    }
    void requestSpectrumRepaint() override {
        std::lock_guard lock(mutex_);
        ++repaintRequests;
    }

    std::vector<MessageBoxCall> boxes() const {
        std::lock_guard lock(mutex_);
        return boxes_;
    }

    int answer = kIdOk;
    std::vector<std::pair<int, std::string>> statusTexts;
    std::vector<std::pair<int, std::string>> captions;
    std::vector<std::pair<int, bool>> menuChecks;
    std::vector<std::pair<int, bool>> menuEnables;
    std::vector<std::string> titles;
    int repaintRequests = 0;

  private:
    mutable std::mutex mutex_;
    std::vector<MessageBoxCall> boxes_;
};

}  // namespace kestrel
