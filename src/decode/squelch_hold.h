#pragma once
// What the squelch keeps back at the edges of a signal, for every decoder.
//
// While the squelch is closed the newest characters are held, each marked by its own
// level once that is known. When it opens, only the newest run of held characters heard
// at a signal's level is shown, before the character that opened it: a signal's first
// characters come before its figures rise, and the noise before it is held as well.
// When it opens again within a hold's length of closing, a weak signal's figures dipped
// for a moment, and all it held is its own.
//
// While it is open, a character whose own level lies far below the signal's is
// doubtful: a deep fade, or the noise after the signal's end. Only what follows tells
// which, so it waits: the next character heard shows the doubtful ones first, the
// squelch's closing drops them. When more wait than the hold keeps, the oldest is shown
// if it was heard at a signal's level (a long fade), and dropped if not (the noise after
// the signal, while the levels the squelch goes by sink towards it).
#include <array>

#include "decode/received_char_emitter.h"

namespace kestrel {

// The levels the hold judges characters by, their own S/N in dB.
struct SquelchRule {
    // The held run shown on opening begins with a character of runFrom or more and goes
    // on through characters of runWithin or more: a weak signal's own characters scatter
    // below where its first one must stand.
    double runFrom;
    double runWithin;
    // Doubtful: doubtUnderFigure under the signal's figure and under doubtUnder, while
    // the figure stands at doubtFrom or more. A weaker signal's characters scatter too
    // widely to tell its end by one of them.
    double doubtUnderFigure;
    double doubtUnder;
    double doubtFrom;
};

class SquelchHold {
  public:
    static constexpr int kCapacity = 7;

    SquelchHold(ReceivedCharEmitter& emitter, SquelchRule rule) : emitter_(emitter), rule_(rule) {}

    // The squelch is closed: c is held (newlines and shifts are not), and the doubtful
    // are dropped. Its own S/N comes later, through heldLevel, which marks the newest
    // held character if it still waits for one.
    void hold(char16_t c);
    void heldLevel(double ownDb);
    // The squelch has opened: the newest run heard at a signal's level is shown, and the
    // hold emptied.
    void open();
    void clear();

    // The squelch is open; a character of ownDb (its own S/N) when the signal's figure
    // stood at figureDb. True when it may be shown now, after the doubtful before it;
    // false when it waits among the doubtful (c 0, a shift, waits as nothing).
    bool judge(char16_t c, double ownDb, double figureDb);

  private:
    void showDoubtful(int count);
    void forgetDoubtful(int count);

    // A character and its own S/N.
    struct Heard {
        char16_t c = 0;
        double ownDb = 0.0;
    };

    ReceivedCharEmitter& emitter_;
    SquelchRule rule_;
    std::array<Heard, kCapacity> held_{};      // oldest first; c 0 is empty
    std::array<Heard, kCapacity> doubtful_{};  // oldest first
    bool levelDue_ = false;
    bool wasOpen_ = false;
    int heldSinceOpen_ = 0;
    int doubtfulCount_ = 0;
    double doubtFigure_ = 0.0;  // the figure before the first doubtful one
};

}  // namespace kestrel
