#pragma once
// Records what the core asks of the user interface. Message boxes answer `answer` (OK
// unless a test says otherwise). Safe to call from several threads; read the records
// through the accessors.
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
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
    friend std::ostream& operator<<(std::ostream& os, const UiMessageBox& m) {
        return os << "{\"" << m.text << "\", \"" << m.caption << "\", " << m.flags << "}";
    }
};

struct UiItemText {
    int id;
    std::string text;
    bool operator==(const UiItemText&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const UiItemText& t) {
        return os << "{" << t.id << ", \"" << t.text << "\"}";
    }
};

struct UiItemFlag {
    int id;
    bool on;
    bool operator==(const UiItemFlag&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const UiItemFlag& f) {
        return os << "{" << f.id << ", " << f.on << "}";
    }
};

class RecordingUi : public UiPort {
  public:
    int messageBox(std::string_view text, std::string_view caption, unsigned flags) override {
        {
            std::lock_guard lock(mutex_);
            messageBoxes_.push_back({std::string(text), std::string(caption), flags});
        }
        if (whileBoxShows) whileBoxShows();  // what a box's own message loop may dispatch
        return answer;
    }
    void setStatusText(int part, std::string_view text) override {
        std::lock_guard lock(mutex_);
        statusTexts_.push_back({part, std::string(text)});
    }
    void setControlCaption(int controlId, std::string_view text) override {
        std::lock_guard lock(mutex_);
        captions_.push_back({controlId, std::string(text)});
    }
    void checkMenuItem(int itemId, bool checked) override {
        std::lock_guard lock(mutex_);
        menuChecks_.push_back({itemId, checked});
    }
    void enableMenuItem(int itemId, bool enabled) override {
        std::lock_guard lock(mutex_);
        menuEnables_.push_back({itemId, enabled});
    }
    void setWindowTitle(std::string_view title) override {
        std::lock_guard lock(mutex_);
        titles_.emplace_back(title);
    }
    void requestSpectrumRepaint() override {
        std::lock_guard lock(mutex_);
        ++repaints_;
    }

    std::atomic<int> answer{kIdOk};
    std::function<void()> whileBoxShows;

    std::vector<UiMessageBox> messageBoxes() const { return copy(messageBoxes_); }
    std::vector<UiItemText> statusTexts() const { return copy(statusTexts_); }
    std::vector<UiItemText> captions() const { return copy(captions_); }
    std::vector<UiItemFlag> menuChecks() const { return copy(menuChecks_); }
    std::vector<UiItemFlag> menuEnables() const { return copy(menuEnables_); }
    std::vector<std::string> titles() const { return copy(titles_); }
    int repaints() const { return copy(repaints_); }

    // The text a status part shows now, if anything was written to it.
    std::optional<std::string> statusText(int part) const {
        std::lock_guard lock(mutex_);
        for (auto it = statusTexts_.rbegin(); it != statusTexts_.rend(); ++it) {
            if (it->id == part) return it->text;
        }
        return std::nullopt;
    }

    void clear() {
        std::lock_guard lock(mutex_);
        messageBoxes_.clear();
        statusTexts_.clear();
        captions_.clear();
        menuChecks_.clear();
        menuEnables_.clear();
        titles_.clear();
        repaints_ = 0;
    }

  private:
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
    std::vector<UiItemFlag> menuEnables_;
    std::vector<std::string> titles_;
    int repaints_ = 0;
};

}  // namespace kestrel
