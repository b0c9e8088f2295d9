#include "decode/shift_doubt.h"

#include <bit>
#include <cmath>

#include "decode/baudot_decoder.h"
#include "decode/repeat_display.h"

namespace kestrel {
namespace {

// The codes whose figure a contest exchange carries: those the contest figures print as
// digits (among them "?", printed as 9, and codes one element from a digit) and "/".
constexpr std::uint8_t kSlashCode = 29;
bool figuresCan(std::uint8_t code) {
    return hasFiguresDigit(code) || code == kSlashCode;
}

// Codes that end a word: the null (read as a space), line feed, space, carriage return
// and the two shifts.
bool endsWord(std::uint8_t code) {
    return code == 0 || code == kLineFeedCode || code == kSpaceCode ||
           code == kCarriageReturnCode || code == kFigsCode || code == kLtrsCode;
}

}  // namespace

std::optional<ShiftDoubt::Lost> ShiftDoubt::lostShift(std::uint8_t code,
                                                      const std::array<double, 5>& values,
                                                      int shift) {
    // The shift that changes the case; the one shift code one element from it is the
    // shift that repeats the case.
    const std::uint8_t other = shift == kFiguresShift ? kLtrsCode : kFigsCode;
    if (!isOneBitFrom(code, other)) return std::nullopt;
    const auto element =
        static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(code ^ other)));
    return Lost{other, std::abs(values[element])};
}

bool ShiftDoubt::shiftReadsBetter(std::span<const std::uint8_t> codes, std::uint8_t shift) {
    // The word after the doubtful code, read in figures: either as the shift would have it
    // or as it was decided.
    int printing = 0;
    bool readsAsFigures = true;
    for (std::size_t k = 1; k < codes.size() && !endsWord(codes[k]); ++k) {
        ++printing;
        if (!figuresCan(codes[k])) readsAsFigures = false;
    }
    if (shift == kFigsCode) return printing > 0 && readsAsFigures;
    return !readsAsFigures;
}

void ShiftDoubt::begin(const Held& c, std::uint8_t shift) {
    count_ = 0;
    shift_ = shift;
    add(c);
}

bool ShiftDoubt::add(const Held& c) {
    held_[static_cast<std::size_t>(count_++)] = c;
    return count_ == kMaxHeld || endsWord(c.code);
}

std::span<const ShiftDoubt::Held> ShiftDoubt::resolve() {
    const auto n = static_cast<std::size_t>(count_);
    std::array<std::uint8_t, kMaxHeld> codes{};
    for (std::size_t k = 0; k < n; ++k) codes[k] = held_[k].code;
    if (shiftReadsBetter(std::span(codes).first(n), shift_)) held_[0].code = shift_;
    count_ = 0;
    return std::span<const Held>(held_).first(n);
}

}  // namespace kestrel
