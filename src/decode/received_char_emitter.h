#pragma once
// The one way received text reaches the logger. It drops doubled spaces and newlines,
// turns a doubled "/" into "/.", applies the contest word filter in contest mode and
// posts each character. The receive thread, the WAV player and the user-interface
// handlers all call it, so callers are serialised by a busy flag.
#include <atomic>

#include "decode/contest_word_filter.h"
#include "modem_state.h"
#include "platform/logger_port.h"

namespace kestrel {

struct ReceivedCharEmitter {
    ReceivedCharEmitter(const ModemState& state, LoggerPort& logger)
        : state_(state), logger_(logger) {}

    void emitReceivedChar(char16_t ch);

    char16_t lastChar = 0;  // the last character let through, before the word filter
    ContestWordFilter wordFilter;

  private:
    // Returns ch as it should go on, or 0 to drop it.
    char16_t applyDuplicateRules(char16_t ch) const;

    const ModemState& state_;
    LoggerPort& logger_;
    std::atomic<int> busy_{0};
};

}  // namespace kestrel
