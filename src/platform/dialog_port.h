#pragma once
// An open dialog as the core drives it: the texts, checks and lists of its controls,
// the focus, and its end. The Win32 shell implements it over a dialog window; tests
// record the calls and play the user's part.
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrel {

inline constexpr int kNoListItem = -1;

class DialogPort {
  public:
    virtual ~DialogPort() = default;
    virtual void setItemText(int id, std::string_view text) = 0;
    // At most maxChars characters of the control's text.
    virtual std::string itemText(int id, std::size_t maxChars) = 0;
    // Marks checkedId among the radio buttons numbered first to last; 0 marks none.
    virtual void checkRadioButton(int first, int last, int checkedId) = 0;
    virtual void enableItem(int id, bool enabled) = 0;
    virtual void setFocus(int id) = 0;
    // A list box or drop-down list: add an entry at the end, select one (kNoListItem:
    // none), and the selected position (kNoListItem when none).
    virtual void addListItem(int listId, std::string_view text) = 0;
    virtual void selectListItem(int listId, int index) = 0;
    virtual int selectedListItem(int listId) = 0;
    // Closes the dialog; result is what the code that opened it gets.
    virtual void end(int result) = 0;
    // Runs the dialog of that template, owned by this one, and returns its result.
    virtual int runDialog(int templateId) = 0;
};

}  // namespace kestrel
