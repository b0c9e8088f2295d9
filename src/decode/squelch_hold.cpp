#include "decode/squelch_hold.h"

#include <algorithm>

namespace kestrel {

void SquelchHold::hold(char16_t c) {
    doubtfulCount_ = 0;
    ++heldSinceOpen_;
    if (c == 0 || c == u'\n') return;
    std::copy(held_.begin() + 1, held_.end(), held_.begin());
    held_.back() = {c, -1e300};
    levelDue_ = true;
}

void SquelchHold::heldLevel(double ownDb) {
    if (levelDue_) held_.back().ownDb = ownDb;
    levelDue_ = false;
}

void SquelchHold::open() {
    const bool dip = wasOpen_ && heldSinceOpen_ <= kCapacity;
    wasOpen_ = true;
    heldSinceOpen_ = 0;
    int first = kCapacity;
    while (first > 0 &&
           (held_[first - 1].c == 0 || held_[first - 1].ownDb >= rule_.runWithin || dip))
        --first;
    while (!dip && first < kCapacity && (held_[first].c == 0 || held_[first].ownDb < rule_.runFrom))
        ++first;
    for (int i = first; i < kCapacity; ++i) {
        if (held_[i].c != 0) emitter_.emitReceivedChar(held_[i].c);
    }
    clear();
}

void SquelchHold::clear() {
    held_.fill({});
    levelDue_ = false;
}

bool SquelchHold::judge(char16_t c, double ownDb, double figureDb) {
    // While some wait, the figure from before the first of them: the figure itself
    // sinks with every character of noise.
    if (doubtfulCount_ == 0) doubtFigure_ = figureDb;
    if (doubtFigure_ < rule_.doubtFrom ||
        ownDb >= std::min(doubtFigure_ - rule_.doubtUnderFigure, rule_.doubtUnder)) {
        showDoubtful(doubtfulCount_);
        return true;
    }
    if (c != 0) {
        if (doubtfulCount_ == kCapacity) {
            // A fade this long is a signal's, where its characters were heard at a signal's
            // level; what was not is the noise after the signal.
            if (doubtful_[0].ownDb >= rule_.runWithin)
                showDoubtful(1);
            else
                forgetDoubtful(1);
        }
        doubtful_[static_cast<std::size_t>(doubtfulCount_++)] = {c, ownDb};
    }
    return false;
}

void SquelchHold::showDoubtful(int count) {
    for (int i = 0; i < count; ++i) emitter_.emitReceivedChar(doubtful_[i].c);
    forgetDoubtful(count);
}

void SquelchHold::forgetDoubtful(int count) {
    std::copy(doubtful_.begin() + count, doubtful_.begin() + doubtfulCount_, doubtful_.begin());
    doubtfulCount_ -= count;
}

}  // namespace kestrel
