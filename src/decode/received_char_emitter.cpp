#include "decode/received_char_emitter.h"

#include <cstdint>

#include "busy_wait.h"
#include "platform/logger_codes.h"

namespace kestrel {

char16_t ReceivedCharEmitter::applyDuplicateRules(char16_t ch) const {
    const char16_t prev = lastChar;
    if (prev == u'\n' && ch == u'\n') return 0;
    if (prev == u' ' && ch == u' ') return 0;
    if (prev == u'/' && ch == u'/') return u'.';
    if (prev == u'.' && (ch == u'.' || ch == u'/')) return 0;
    return ch;
}

void ReceivedCharEmitter::emitReceivedChar(char16_t ch) {
    takeBusyFlag(busy_);

    ch = applyDuplicateRules(ch);
    if (ch != 0) {
        lastChar = ch;
        if (state_.Contest.load(std::memory_order_relaxed) == 1) {
            ch = wordFilter.contestWordFilter(ch);
        }
        logger_.post(TXM_CHAR, ch);
    }

    busy_.store(0, std::memory_order_release);
}

}  // namespace kestrel
