#include "decode/received_text.h"

namespace kestrel {

bool ReceivedText::saving() const {
    return state_.saveTextActive.load(std::memory_order_relaxed) == 1;
}

void ReceivedText::save(char16_t c) {
    const char narrow = static_cast<char>(c);
    file_.writeText(std::string_view(&narrow, 1));
}

void ReceivedText::decoded(char16_t c) {
    if (c == 0 || !saving()) return;
    save(c);
    if (c == u' ') file_.flush();
}

void ReceivedText::mended(std::u16string_view word) {
    const bool toFile = saving();
    for (char16_t c : std::u16string_view(u" { ")) show(c);
    if (toFile) file_.writeText(" {");
    for (char16_t c : word) {
        show(c);
        if (toFile) save(c);
    }
    for (char16_t c : std::u16string_view(u" } ")) show(c);
    if (toFile) file_.writeText("} ");
}

}  // namespace kestrel
