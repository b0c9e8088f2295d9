#pragma once
// Records what the core asks of the user interface. Message boxes answer `answer` (OK
// unless a test says otherwise). Safe to call from several threads; read the records
// through the accessors.
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui_port.h"

namespace kestrel {

struct UiMessageBox {
    std::string text;
    std::string caption;
    unsigned flags;
    bool operator==(const UiMessageBox&) const = default;
};
struct UiItemText {
    int id;
    std::string text;
    bool operator==(const UiItemText&) const = default;
};
struct UiItemFlag {
    int id;
    bool on;
    bool operator==(const UiItemFlag&) const = default;
};

class RecordingUi : public UiPort {
  public:
    int messageBox(std::string_view text, std::string_view caption, unsigned flags) override {
        record(messageBoxes_, UiMessageBox{std::string(text), std::string(caption), flags});
        if (whileBoxShows) whileBoxShows();  // what a box's own message loop may dispatch
        return answer;
    }
    void setStatusText(int part, std::string_view text) override {
        record(statusTexts_, UiItemText{part, std::string(text)});
    }
    void setControlCaption(int controlId, std::string_view text) override {
        record(captions_, UiItemText{controlId, std::string(text)});
    }
    void checkMenuItem(int itemId, bool checked) override {
        record(menuChecks_, UiItemFlag{itemId, checked});
    }
    void enableMenuItem(int, bool) override {}
    void setWindowTitle(std::string_view title) override { record(titles_, std::string(title)); }
    void requestSpectrumRepaint() override {}

    std::atomic<int> answer{kIdOk};
    std::function<void()> whileBoxShows;

    std::vector<UiMessageBox> messageBoxes() const { return copy(messageBoxes_); }
    std::vector<UiItemText> captions() const { return copy(captions_); }
    std::vector<UiItemFlag> menuChecks() const { return copy(menuChecks_); }
    std::vector<std::string> titles() const { return copy(titles_); }

    // The text a status part shows now, if anything was written to it.
    std::optional<std::string> statusText(int part) const {
        std::optional<std::string> now;
        for (const auto& t : copy(statusTexts_))
            if (t.id == part) now = t.text;
        return now;
    }

    void clear() {
        std::lock_guard lock(mutex_);
        messageBoxes_.clear();
        statusTexts_.clear();
        captions_.clear();
        menuChecks_.clear();
        titles_.clear();
    }

  private:
    template <typename T>
    void record(std::vector<T>& records, T item) {
        std::lock_guard lock(mutex_);
        records.push_back(std::move(item));
    }
    template <typename T>
    T copy(const T& records) const {
        std::lock_guard lock(mutex_);
        return records;
    }

    mutable std::mutex mutex_;
    std::vector<UiMessageBox> messageBoxes_;
    std::vector<UiItemText> statusTexts_;
    std::vector<UiItemText> captions_;
    std::vector<UiItemFlag> menuChecks_;
    std::vector<std::string> titles_;
};

}  // namespace kestrel
