// Repeat Match on a real transmission: an exchange sent twice, one copy hit by a burst.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>

#include "signal_helpers.h"

namespace kestrel::lab {
namespace {

// The call-up gives the receiver time to find the character timing before the exchange.
const std::string kExchange = "\r\nQRZ DE W1AW TEST\r\nK1ABC 599 014 014 K1ABC\r\n";
// The same exchange with the first copy's 4 sent as 2: the two transmissions part where
// the first data bit of that character begins (4 and 2 differ in their first bit).
const std::string kAltered = "\r\nQRZ DE W1AW TEST\r\nK1ABC 599 012 014 K1ABC\r\n";

KestrelSettings repeatMatchOn(bool sameReject, DecodeMode mode = kDecodeSelectiv) {
    return {.mode = mode, .repeatMatch = true, .sameReject = sameReject};
}

TEST(RepeatMatchSignal, ACharacterDestroyedByABurstIsRestoredFromTheOtherCopy) {
    const Transmission t = transmit(kExchange);
    // Where minimodem's transmissions of the two first differ, in the padded file (a second
    // of silence before the signal).
    const Audio a = minimodemTransmit(kExchange, 45.45, 12000);
    const Audio b = minimodemTransmit(kAltered, 45.45, 12000);
    const std::size_t dataStart =
        12000 + (std::mismatch(a.samples.begin(), a.samples.end(), b.samples.begin()).first -
                 a.samples.begin());
    ASSERT_LT(dataStart, t.audio.samples.size());
    // Strong noise (five times the signal's RMS) over the start element and the five data
    // bits of the 4 (264 samples each at 45.45 baud); the stop element is left alone.
    Audio audio = withNoise(t, 15.0, 11);
    Gaussian burst(12);
    for (std::size_t i = dataStart - 264; i < dataStart + 5 * 264; ++i)
        audio.samples[i] += 5.0 * kSignalRms * burst.next();

    const std::string text = kestrelDecode(audio, repeatMatchOn(true)).text;
    EXPECT_EQ(text.find("014 014"), std::string::npos) << text;  // the burst did its harm
    EXPECT_NE(text.find(" { 014 } "), std::string::npos) << text;
}

// A call-up and an exchange line at 15 dB SNR, in Selectiv and Flutter (their thresholds
// weigh the votes): what prints from the line's first word on (a chance repeat in the noise
// before is not the line's). "Same reject on" hides a copy repeated unchanged, also at the
// line's end, as contest macros send it. Two words sent twice never print; " 014 " holds
// off five characters: a third copy falls within, a fourth not. "599 609" mends nothing.
TEST(RepeatMatchSignal, WhatARepeatedLinePrints) {
    const struct {
        std::string line;
        std::uint64_t seed;
        bool sameReject;
        std::string printed;
    } cases[] = {
        {"K1ABC 599 014 014 K1ABC", 25, true, "K1ABC 599 014 014 K1ABC\n"},
        {"K1ABC 599 014 014 K1ABC", 25, false, "K1ABC 599 014 014 { 014 } K1ABC\n"},
        {"K1ABC 599 014 014", 24, true, "K1ABC 599 014 014\n"},
        {"K1ABC 599 014 014", 24, false, "K1ABC 599 014 014\n { 014 } "},
        {"K1ABC 599 K1ABC 599", 21, false, "K1ABC 599 K1ABC 599\n"},
        {"K1ABC 599 014 014 014 K1ABC", 22, false, "K1ABC 599 014 014 { 014 } 014 K1ABC\n"},
        {"K1ABC 599 014 014 014 014 K1ABC", 23, false,
         "K1ABC 599 014 014 { 014 } 014 014 { 014 } K1ABC\n"},
        {"G5JZR 599 609 609", 26, true, "G5JZR 599 609 609\n"},
        {"NO2KT 599 597 597", 29, true, "NO2KT 599 597 597\n"},
    };
    for (const DecodeMode mode : {kDecodeSelectiv, kDecodeFlutter})
        for (const auto& c : cases) {
            SCOPED_TRACE(c.line + (c.sameReject ? ", same reject, " : ", ") + std::to_string(mode));
            const Transmission t = transmit("\r\nQRZ DE W1AW TEST\r\n" + c.line + "\r\n");
            const std::string text =
                kestrelDecode(withNoise(t, 15.0, c.seed), repeatMatchOn(c.sameReject, mode)).text;
            const std::string fromLine =
                text.substr(std::min(text.find(c.line.substr(0, 5)), text.size()));
            EXPECT_EQ(fromLine.substr(0, c.printed.size()), c.printed) << text;
            EXPECT_EQ(std::count(fromLine.begin(), fromLine.end(), '{'),
                      std::count(c.printed.begin(), c.printed.end(), '{'))
                << text;
        }
}

// Through kestrel-cli, where there is nothing to mend no brace prints: Kestrel's own clean
// transmissions, whether a word starts the file, ends it or is sent twice unchanged, and a
// minute of white noise with the squelch off.
TEST(RepeatMatchSignal, NothingToMendPrintsNoBrace) {
    const struct {
        std::string encode, decode, text;
    } cases[] = {
        {"--mode afsk", "", "DE K1ABC K1ABC"},    {"", "", "CQ TEST"},
        {"--baud 50", "--baud 50", "CQ CQ"},      {"--baud 75", "--baud 75 --mode flutter", "CQ"},
        {"", "--squelch off --mode flutter", ""},  // a minute of white noise
    };
    const auto path = tempWavPath("repeat");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.encode + " " + c.text);
        const std::string file = " '" + path.string() + "' ";
        if (c.text.empty()) {
            Audio noise{12000, std::vector<double>(60 * 12000)};
            addNoise(noise, kSignalRms * kSignalRms, 0.0, 1);
            writeWav(path, limitedToPeak(noise, 32000.0));
        } else {
            ASSERT_EQ(cli("encode" + file + c.encode + " --text '" + c.text + "'").status, 0);
        }
        const CliRun run = cli("decode" + file + c.decode);
        EXPECT_NE(run.out.find(c.text.substr(0, 2)), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find('{'), std::string::npos) << run.out;
    }
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace kestrel::lab
