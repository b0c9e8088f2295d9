// Repeat Match on a real transmission: an exchange sent twice, one copy hit by a burst.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <string>

#include "signal_helpers.h"

namespace kestrel::lab {
namespace {

// The call-up gives the receiver time to find the character timing before the exchange.
const std::string kExchange = "\r\nQRZ DE W1AW TEST\r\nK1ABC 599 014 014 K1ABC\r\n";
// The same exchange with the first copy's 4 sent as 2: the two transmissions part where
// the first data bit of that character begins (4 and 2 differ in their first bit).
const std::string kAltered = "\r\nQRZ DE W1AW TEST\r\nK1ABC 599 012 014 K1ABC\r\n";

constexpr std::size_t kSamplesPerBit = 264;  // 12000 samples/s at 45.45 baud

// Where two of minimodem's transmissions first differ, in the padded file (a second of
// silence before the signal).
std::size_t firstDifference(const std::string& x, const std::string& y) {
    const Audio a = minimodemTransmit(x, 45.45, 12000), b = minimodemTransmit(y, 45.45, 12000);
    const auto diff =
        std::mismatch(a.samples.begin(), a.samples.end(), b.samples.begin(), b.samples.end());
    return 12000 + static_cast<std::size_t>(diff.first - a.samples.begin());
}

// Adds strong noise (five times the signal's RMS) over [from, from + count).
void addBurst(Audio& audio, std::size_t from, std::size_t count, std::uint64_t seed) {
    Gaussian noise(seed);
    const std::size_t end = std::min(audio.samples.size(), from + count);
    for (std::size_t i = from; i < end; ++i) audio.samples[i] += 5.0 * kSignalRms * noise.next();
}

KestrelSettings repeatMatchOn(bool sameReject) {
    KestrelSettings s = settingsFor(kDecodeSelectiv);
    s.repeatMatch = true;
    s.sameReject = sameReject;
    return s;
}

TEST(RepeatMatchSignal, ACharacterDestroyedByABurstIsRestoredFromTheOtherCopy) {
    const Transmission t = transmit(kExchange);
    const std::size_t dataStart = firstDifference(kExchange, kAltered);
    ASSERT_LT(dataStart, t.audio.samples.size());
    // The start element and the five data bits of the 4; the stop element is left alone.
    Audio audio = withNoise(t, 15.0, 11);
    addBurst(audio, dataStart - kSamplesPerBit, 6 * kSamplesPerBit, 12);

    const std::string text = kestrelDecode(audio, repeatMatchOn(true)).text;
    EXPECT_EQ(text.find("014 014"), std::string::npos) << text;  // the burst did its harm
    EXPECT_NE(text.find(" { 014 } "), std::string::npos) << text;
}

// A call-up and an exchange line at 15 dB SNR: what prints from the line's first word on.
// Selectiv prints the noise before the call-up, and a chance repeat there is not the line's.
// "Same reject on" hides a copy repeated unchanged, also one ending the line, as contest
// macros send it. Two words sent twice never print; the hold-off of " 014 " lasts five
// characters with a repeat: a third copy falls within it, a fourth does not.
TEST(RepeatMatchSignal, WhatARepeatedLinePrints) {
    struct Case {
        std::string line;
        std::uint64_t seed;
        bool sameReject;
        std::string printed;
    };
    const Case cases[] = {
        {"K1ABC 599 014 014 K1ABC", 25, true, "K1ABC 599 014 014 K1ABC\n"},
        {"K1ABC 599 014 014 K1ABC", 25, false, "K1ABC 599 014 014 { 014 } K1ABC\n"},
        {"K1ABC 599 014 014", 24, true, "K1ABC 599 014 014\n"},
        {"K1ABC 599 014 014", 24, false, "K1ABC 599 014 014\n { 014 } "},
        {"K1ABC 599 K1ABC 599", 21, false, "K1ABC 599 K1ABC 599\n"},
        {"K1ABC 599 014 014 014 K1ABC", 22, false, "K1ABC 599 014 014 { 014 } 014 K1ABC\n"},
        {"K1ABC 599 014 014 014 014 K1ABC", 23, false,
         "K1ABC 599 014 014 { 014 } 014 014 { 014 } K1ABC\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line + (c.sameReject ? ", same reject" : ""));
        const Transmission t = transmit("\r\nQRZ DE W1AW TEST\r\n" + c.line + "\r\n");
        const std::string text =
            kestrelDecode(withNoise(t, 15.0, c.seed), repeatMatchOn(c.sameReject)).text;
        const std::string fromLine =
            text.substr(std::min(text.find(c.line.substr(0, 5)), text.size()));
        EXPECT_EQ(fromLine.substr(0, c.printed.size()), c.printed) << text;
        EXPECT_EQ(std::count(fromLine.begin(), fromLine.end(), '{'),
                  std::count(c.printed.begin(), c.printed.end(), '{'))
            << text;
    }
}

// Characters keyed as a plain FSK transmitter keys them: a space start element, five data
// elements (bit 0 first, 1 = mark) and one and a half mark stop elements, phase-continuous.
void appendKeyed(Audio& audio, int code, int count) {
    const double amplitude = kSignalRms * std::numbers::sqrt2;
    double phase = 0.0;
    auto element = [&](bool mark, std::size_t samples) {
        const double step = 2.0 * std::numbers::pi * (mark ? 2125.0 : 2295.0) / 12000.0;
        for (std::size_t i = 0; i < samples; ++i) {
            audio.samples.push_back(amplitude * std::sin(phase));
            phase = std::fmod(phase + step, 2.0 * std::numbers::pi);
        }
    };
    for (int n = 0; n < count; ++n) {
        element(false, kSamplesPerBit);
        for (int j = 0; j < 5; ++j) element(((code >> j) & 1) != 0, kSamplesPerBit);
        element(true, kSamplesPerBit * 3 / 2);
    }
}

// The blank code (all five elements space), sent again and again, repeats perfectly but
// spells at most two blanks: fewer than three characters, never printed.
TEST(RepeatMatchSignal, ARepeatOfBlankCharactersNeverPrints) {
    Transmission t = transmit("\r\nQRZ DE W1AW TEST\r\n", 45.45, 12000, {}, 1.0, 0.0);
    appendKeyed(t.audio, 0, 30);
    t.audio.samples.resize(t.audio.samples.size() + 18000, 0.0);

    const std::string text = kestrelDecode(t.audio, repeatMatchOn(false)).text;
    EXPECT_NE(text.find("DE W1AW TEST"), std::string::npos) << text;
    EXPECT_EQ(text.find('{'), std::string::npos) << text;
}

}  // namespace
}  // namespace kestrel::lab
