#pragma once
// A UiPort that records what the core asks of the user interface. Message boxes answer
// with `messageBoxAnswer`.
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui_port.h"

namespace kestrel::testing {

class RecordingUi : public UiPort {
  public:
    struct MessageBox {
        std::string text;
        std::string caption;
        unsigned flags;
    };
    struct Text {
        int id;  // status part or control identifier
        std::string text;
    };

    int messageBox(std::string_view text, std::string_view caption, unsigned flags) override {
        std::lock_guard lock(mutex_);
        messageBoxes.push_back({std::string(text), std::string(caption), flags});
        return messageBoxAnswer;
    }
    void setStatusText(int part, std::string_view text) override {
        std::lock_guard lock(mutex_);
        statusTexts.push_back({part, std::string(text)});
    }
    void setControlCaption(int controlId, std::string_view text) override {
        std::lock_guard lock(mutex_);
        captions.push_back({controlId, std::string(text)});
    }
    void checkMenuItem(int itemId, bool checked) override {
        std::lock_guard lock(mutex_);
        menuChecks.push_back({itemId, checked});
    }
    void enableMenuItem(int itemId, bool enabled) override {
        std::lock_guard lock(mutex_);
        menuEnables.push_back({itemId, enabled});
    }
    void setWindowTitle(std::string_view title) override {
        std::lock_guard lock(mutex_);
        windowTitles.emplace_back(title);
    }
    void requestSpectrumRepaint() override {
        std::lock_guard lock(mutex_);
        ++spectrumRepaints;
    }

    int messageBoxAnswer = kIdOk;
    std::vector<MessageBox> messageBoxes;
    std::vector<Text> statusTexts;
    std::vector<Text> captions;
    std::vector<std::pair<int, bool>> menuChecks;
    std::vector<std::pair<int, bool>> menuEnables;
    std::vector<std::string> windowTitles;
    int spectrumRepaints = 0;

  private:
    std::mutex mutex_;
};

}  // namespace kestrel::testing
