#include "decode/squelch_hold.h"

#include <algorithm>

namespace kestrel {

void SquelchHold::hold(char16_t c) {
    doubtfulCount_ = 0;
    ++heldSinceOpen_;
    if (c == 0 || c == u'\n') return;
    std::copy(held_.begin() + 1, held_.end(), held_.begin());
    std::copy(heard_.begin() + 1, heard_.end(), heard_.begin());
    held_.back() = c;
    heard_.back() = false;
    levelDue_ = true;
}

void SquelchHold::heldLevel(bool heard) {
    if (levelDue_) heard_.back() = heard;
    levelDue_ = false;
}

void SquelchHold::open() {
    const bool dip = wasOpen_ && heldSinceOpen_ <= kCapacity;
    wasOpen_ = true;
    heldSinceOpen_ = 0;
    int first = kCapacity;
    while (first > 0 && (held_[first - 1] == 0 || heard_[first - 1] || dip)) --first;
    for (int i = first; i < kCapacity; ++i) {
        if (held_[i] != 0) emitter_.emitReceivedChar(held_[i]);
    }
    clear();
}

void SquelchHold::clear() {
    held_.fill(0);
    levelDue_ = false;
}

bool SquelchHold::judge(char16_t c, double ownDb, double figureDb) {
    // While some wait, the figure from before the first of them: the figure itself
    // sinks with every character of noise.
    if (doubtfulCount_ == 0) doubtFigure_ = figureDb;
    if (doubtFigure_ < rule_.from ||
        ownDb >= std::min(doubtFigure_ - rule_.belowFigure, rule_.below)) {
        showDoubtful(doubtfulCount_);
        return true;
    }
    if (c != 0) {
        if (doubtfulCount_ == kCapacity) showDoubtful(1);  // a fade this long is a signal's
        doubtful_[doubtfulCount_++] = c;
    }
    return false;
}

void SquelchHold::showDoubtful(int count) {
    for (int i = 0; i < count; ++i) emitter_.emitReceivedChar(doubtful_[i]);
    std::copy(doubtful_.begin() + count, doubtful_.begin() + doubtfulCount_, doubtful_.begin());
    doubtfulCount_ -= count;
}

}  // namespace kestrel
