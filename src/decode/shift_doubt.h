#pragma once
// A case shift lost in the noise spoils the word after it: a figures shift read as a
// letter prints "599" as "TOO", a letters shift read as a figure prints "W1AW" as "W11-2".
// Deep knows how sure it was of each element, so where one unsure element is all that
// tells a character from the shift that would change the case, the word after it is held
// and the shift taken only where the word's characters show it:
//
// - In letters, a code one element from the figures shift (a letter, or a letters shift,
//   which says nothing there): the shift is taken when the word after it is all
//   characters whose figures a contest exchange carries: digits, "/" and "?" (and the
//   codes one element from a digit, which the contest figures print as that digit).
// - In figures, a code one element from the letters shift (a figure, or a figures shift):
//   the shift is taken when the word read in figures holds any other character.
//
// A word ends at a space, a new line, a case shift or a null, after kMaxHeld characters,
// or where the signal ends; the held characters are then shown in order, as the chosen
// reading has them. Plain text at the weakest signals loses a word now and then to the
// first rule ("WRITER" read as "48534"); the sureness Deep asks for keeps that rare.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace kestrel {

class ShiftDoubt {
  public:
    // A decided character, with what its printing needs later.
    struct Held {
        std::uint8_t code = 0;
        double snr = 0.0;       // the levels' element S/N when it was decided
        double weakerDb = 0.0;  // its own S/N, where the squelch judges by it
    };
    static constexpr int kMaxHeld = 8;

    // The case shift, other than the case in force (`shift`), that a code differs from
    // in one element, and how sure that element was (the magnitude of its log-likelihood
    // ratio; values holds the five data elements', > 0 mark).
    struct Lost {
        std::uint8_t shift;
        double sureness;
    };
    static std::optional<Lost> lostShift(std::uint8_t code, const std::array<double, 5>& values,
                                         int shift);

    bool holding() const { return count_ > 0; }
    // Holds c, which may have been `shift`.
    void begin(const Held& c, std::uint8_t shift);
    // Holds c after the doubtful one; true when the word is complete.
    bool add(const Held& c);
    // The held characters as the chosen reading has them, and the doubt over.
    std::span<const Held> resolve();

    // Whether the shift reads the word better than what was decided: `codes` begins with
    // the decided code, which may have been `shift`.
    static bool shiftReadsBetter(std::span<const std::uint8_t> codes, std::uint8_t shift);

  private:
    std::array<Held, kMaxHeld> held_{};
    int count_ = 0;
    std::uint8_t shift_ = 0;
};

}  // namespace kestrel
