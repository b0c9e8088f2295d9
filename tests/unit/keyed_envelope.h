#pragma once
// Synthetic receive signals for the decoder tests: the envelopes a clean keyed RTTY
// signal leaves after the tone filters, 66 samples per bit, optionally with a little
// deterministic ripple.
#include <cstdint>
#include <string_view>
#include <vector>

namespace kestrel::test {

constexpr int kBit = 66;
constexpr int kStop = 99;  // 1.5 stop bits

// ITA2 as received: bit n of a code is data element n + 1, 1 = mark.
constexpr std::string_view kLetters = "~E\nA SIU~DRJNFCKTZLWHYPQOBG~MXV~";
constexpr std::string_view kFigures = "~3~-~~87~$4',!:(5+)2#6019?&~./;~";
constexpr int kSpaceCode = 4;
constexpr int kLineFeedCode = 2;
constexpr int kCarriageReturnCode = 8;
constexpr int kFigsCode = 27;
constexpr int kLtrsCode = 31;

// The codes a sender transmits for text, with FIGS and LTRS where the case changes.
// A receiver returns to letters after every space, so figures after a space get a
// fresh FIGS.
inline std::vector<int> ita2Codes(std::string_view text) {
    std::vector<int> codes;
    bool figures = false;
    for (char c : text) {
        if (c == ' ') {
            codes.push_back(kSpaceCode);
            figures = false;
            continue;
        }
        if (c == '\r' || c == '\n') {  // line breaks are sent in either case
            codes.push_back(c == '\r' ? kCarriageReturnCode : kLineFeedCode);
            continue;
        }
        const auto letter = kLetters.find(c);
        if (c != '~' && letter != std::string_view::npos) {
            if (figures) codes.push_back(kLtrsCode);
            figures = false;
            codes.push_back(static_cast<int>(letter));
            continue;
        }
        const auto figure = kFigures.find(c);
        if (c == '~' || figure == std::string_view::npos) continue;
        if (!figures) codes.push_back(kFigsCode);
        figures = true;
        codes.push_back(static_cast<int>(figure));
    }
    return codes;
}

struct KeyedEnvelope {
    double on = 1.0;      // envelope of the keyed tone
    double off = 0.05;    // envelope of the idle tone: its noise floor
    double ripple = 0.0;  // peak deviation added to both, pseudo-random
    std::vector<double> mark;
    std::vector<double> space;

    void element(bool isMark, int samples) {
        for (int k = 0; k < samples; ++k) {
            mark.push_back((isMark ? on : off) + jitter());
            space.push_back((isMark ? off : on) + jitter());
        }
    }
    void idle(int samples) { element(true, samples); }
    void character(int code, int stopSamples = kStop) {
        element(false, kBit);
        for (int n = 0; n < 5; ++n) element(((code >> n) & 1) != 0, kBit);
        element(true, stopSamples);
    }
    void text(std::string_view s, int stopSamples = kStop) {
        for (int code : ita2Codes(s)) character(code, stopSamples);
    }
    int size() const { return static_cast<int>(mark.size()); }

  private:
    double jitter() {
        if (ripple == 0.0) return 0.0;
        seed_ = seed_ * 6364136223846793005ULL + 1442695040888963407ULL;
        const double unit = static_cast<double>(seed_ >> 11) / 9007199254740992.0;  // [0, 1)
        return ripple * (2.0 * unit - 1.0);
    }
    std::uint64_t seed_ = 12345;
};

}  // namespace kestrel::test
