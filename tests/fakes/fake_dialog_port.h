#pragma once
// An open dialog for tests: keeps the controls' texts, the marked radio button of each
// group (by its first button), the lists and their selections, and how it ended. The
// dialogs it is asked to run answer from `answers` (0, cancelled, by default).
#include <map>
#include <string>
#include <vector>

#include "platform/dialog_port.h"

namespace kestrel {

class FakeDialog : public DialogPort {
  public:
    void setItemText(int id, std::string_view text) override { texts[id] = text; }
    std::string itemText(int id, std::size_t maxChars) override {
        return texts[id].substr(0, maxChars);
    }
    void checkRadioButton(int first, int, int checkedId) override { marked[first] = checkedId; }
    void enableItem(int id, bool enabled) override { this->enabled[id] = enabled; }
    void setFocus(int) override {}
    void addListItem(int listId, std::string_view text) override {
        lists[listId].emplace_back(text);
    }
    void selectListItem(int listId, int index) override {
        const bool listed = index >= 0 && index < static_cast<int>(lists[listId].size());
        selections[listId] = listed ? index : kNoListItem;
    }
    int selectedListItem(int listId) override {
        const auto it = selections.find(listId);
        return it == selections.end() ? kNoListItem : it->second;
    }
    void end(int result) override { ended = result; }
    int runDialog(int templateId) override {
        ran.push_back(templateId);
        return answers[templateId];
    }

    std::map<int, std::string> texts;
    std::map<int, int> marked;
    std::map<int, bool> enabled;
    std::map<int, std::vector<std::string>> lists;
    std::map<int, int> selections;
    std::map<int, int> answers;
    std::vector<int> ran;
    int ended = -1;
};

}  // namespace kestrel
