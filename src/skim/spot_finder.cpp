#include "skim/spot_finder.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace kestrel::skim {
namespace {

// The ways a station calls, word by word: C stands for the call, * for up to three other
// words between (TEST, DE, a contest's name); the kind is what the spot says.
struct CallPattern {
    std::vector<std::string_view> words;
    const char* kind;
};

const std::vector<CallPattern>& callPatterns() {
    static const std::vector<CallPattern> patterns = {
        {{"CQ", "*", "C"}, "CQ"},    // CQ TEST DE K1ABC K1ABC, CQ K1ABC
        {{"QRZ", "*", "C"}, "QRZ"},  // QRZ DE K1ABC
        {{"C", "QRZ"}, "QRZ"},       // K1ABC QRZ
        {{"C", "CQ"}, "CQ"},         // TU K1ABC CQ
        {{"C", "TEST"}, "TEST"},     // K1ABC TEST
    };
    return patterns;
}

constexpr int kMostBetween = 3;
constexpr int kTimesBeforeSpot = 2;
constexpr double kRespotSeconds = 600;
constexpr double kSameFrequencyHz = 100;
// A call copied from a much stronger signal at the same time is that signal's, heard
// here through an image or an intermodulation product.
constexpr int kStrongerDb = 10;
constexpr double kStrongerWithinSeconds = 60;

bool isLetter(char c) {
    return c >= 'A' && c <= 'Z';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// PREFIX DIGIT SUFFIX: a prefix of one to three letters and digits holding a letter, or
// a lone digit then a letter; one digit; one to four letters.
bool isBaseCall(std::string_view w) {
    if (w.size() < 3 || w.size() > 8) return false;
    // The call's digit is the last digit before the suffix.
    std::size_t suffix = w.size();
    while (suffix > 0 && isLetter(w[suffix - 1])) --suffix;
    const std::size_t letters = w.size() - suffix;
    if (letters < 1 || letters > 4 || suffix < 2 || !isDigit(w[suffix - 1])) return false;
    const std::string_view prefix = w.substr(0, suffix - 1);
    if (prefix.size() > 3) return false;
    if (std::none_of(prefix.begin(), prefix.end(), isLetter)) return false;
    return std::all_of(prefix.begin(), prefix.end(),
                       [](char c) { return isLetter(c) || isDigit(c); });
}

bool isPortablePart(std::string_view w) {
    return !w.empty() && w.size() <= 4 &&
           std::all_of(w.begin(), w.end(), [](char c) { return isLetter(c) || isDigit(c); });
}

std::vector<std::string_view> wordsOf(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && line[at] == ' ') ++at;
        std::size_t end = at;
        while (end < line.size() && line[end] != ' ') ++end;
        std::size_t last = end;
        while (last > at && line[last - 1] == '?') --last;  // QRZ?
        if (last > at) words.push_back(line.substr(at, last - at));
        at = end;
    }
    return words;
}

// Whether the pattern matches at words[at]; the call's index goes to call.
bool matches(const CallPattern& p, const std::vector<std::string_view>& words, std::size_t at,
             std::size_t& call) {
    std::size_t w = at;
    for (std::size_t k = 0; k < p.words.size(); ++k) {
        const std::string_view want = p.words[k];
        if (want == "*") {
            // Skip other words up to the next pattern word (the call).
            int skipped = 0;
            while (w < words.size() && !looksLikeCall(words[w]) && skipped < kMostBetween)
                ++w, ++skipped;
            continue;
        }
        if (w >= words.size()) return false;
        if (want == "C") {
            if (!looksLikeCall(words[w])) return false;
            call = w;
        } else if (words[w] != want) {
            return false;
        }
        ++w;
    }
    return true;
}

}  // namespace

bool looksLikeCall(std::string_view word) {
    const std::size_t first = word.find('/');
    if (first == std::string_view::npos) return isBaseCall(word);
    const std::size_t second = word.find('/', first + 1);
    const std::string_view a = word.substr(0, first);
    if (second == std::string_view::npos) {
        const std::string_view b = word.substr(first + 1);
        // DL/K1ABC or K1ABC/P, K1ABC/3
        return (isBaseCall(b) && isPortablePart(a)) || (isBaseCall(a) && isPortablePart(b));
    }
    if (word.find('/', second + 1) != std::string_view::npos) return false;
    // DL/K1ABC/P
    return isPortablePart(a) && isBaseCall(word.substr(first + 1, second - first - 1)) &&
           isPortablePart(word.substr(second + 1));
}

std::vector<std::pair<std::string, std::string>> callsInLine(std::string_view line) {
    std::vector<std::pair<std::string, std::string>> calls;
    const auto words = wordsOf(line);
    std::size_t at = 0;
    while (at < words.size()) {
        std::size_t next = at + 1;
        for (const CallPattern& p : callPatterns()) {
            std::size_t call = 0;
            if (!matches(p, words, at, call)) continue;
            calls.emplace_back(std::string(words[call]), p.kind);
            // The call sent again straight after counts again.
            std::size_t r = call + 1;
            while (r < words.size() && words[r] == words[call])
                calls.emplace_back(std::string(words[call]), p.kind), ++r;
            next = std::max(next, r);
            break;
        }
        at = next;
    }
    return calls;
}

void SpotFinder::forget(int signal) {
    std::erase_if(seen_, [&](const Seen& s) { return s.signal == signal; });
}

void SpotFinder::line(int signal, double time, double markHz, double baud, int snrDb,
                      std::string_view text) {
    for (const auto& found : callsInLine(text)) {
        const std::string& call = found.first;
        const std::string& kind = found.second;
        auto seen = std::find_if(seen_.begin(), seen_.end(), [&](const Seen& s) {
            return s.signal == signal && s.call == call;
        });
        if (seen == seen_.end()) seen = seen_.insert(seen_.end(), {signal, call, 0, snrDb, time});
        seen->snrDb = snrDb;
        seen->time = time;
        if (++seen->times < kTimesBeforeSpot) continue;
        const bool louder = std::any_of(seen_.begin(), seen_.end(), [&](const Seen& s) {
            return s.call == call && s.signal != signal && s.snrDb >= snrDb + kStrongerDb &&
                   time - s.time < kStrongerWithinSeconds;
        });
        if (louder) continue;
        // Spotted lately on this frequency?
        std::erase_if(spotted_, [&](const Spotted& s) { return time - s.time >= kRespotSeconds; });
        const bool recent = std::any_of(spotted_.begin(), spotted_.end(), [&](const Spotted& s) {
            return s.call == call && std::abs(s.markHz - markHz) < kSameFrequencyHz;
        });
        if (recent) continue;
        spotted_.push_back({call, markHz, time});
        Spot spot;
        spot.time = time;
        spot.markHz = markHz;
        if (dial_.khz)
            spot.freqKhz = *dial_.khz + (dial_.upperSideband ? markHz : -markHz) / 1000.0;
        spot.call = call;
        spot.snrDb = snrDb;
        spot.baud = static_cast<int>(baud);
        spot.kind = kind;
        sink_.spot(spot);
    }
}

}  // namespace kestrel::skim
