// The switches that shape the received text: AFC on tuning errors, contest figures,
// squelch and new-signal-new-line.
#include <gtest/gtest.h>

#include <cstdlib>

#include "frontend/spectrum_view.h"
#include "platform/logger_codes.h"
#include "signal_helpers.h"

namespace kestrel::lab {
namespace {

// Every mark report from the third second of the signal to its end (one per character;
// after the end the AFC measures the filters' ringing, not the signal) is within 3 Hz of
// the true mark tone.
void expectReportedMark(const KestrelResult& r, const Transmission& t, double mark) {
    const auto from = static_cast<std::uint64_t>(4.0 * r.sampleRate);
    const auto to = static_cast<std::uint64_t>((t.audio.seconds() - 1.5) * r.sampleRate);
    int reports = 0;
    for (const KestrelPost& p : r.posts) {
        if (p.code != TXM_MARK || p.sample < from || p.sample > to) continue;
        ++reports;
        EXPECT_LE(std::abs(p.value - mark), 3.0) << p.value << " at sample " << p.sample;
    }
    EXPECT_GT(reports, 100);
}

// Tones 15 Hz above and 30 Hz below the set ones. With AFC the mixers follow the tones.
// Without it the tone filters, which pass 45 Hz either side, stay on the set tones and still
// decode 30 Hz off; the AFC still measures and reports, it only no longer moves the mixers.
TEST(ToneOffset, AfcFollowsTheTonesAndBothWaysTheTrueMarkIsReported) {
    std::uint64_t pin = kUnpinned;
    for (const double offset : {15.0, -30.0}) {
        const double mark = 2125.0 + offset;
        const Transmission t = transmit(kContestText, 45.45, 12000, Tones{mark, mark + 170.0});
        const Audio audio = withNoise(t, 10.0, 11);
        const struct {
            DecodeMode mode;
            bool afc;
            double errorRate;
        } cases[] = {{kDecodeFlutter, true, 0.01},
                     {kDecodeSelectiv, false, 0.01},
                     {kDecodeFlutter, false, 0.05}};
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << offset << " Hz, " << decodeModeText(c.mode)
                                            << (c.afc ? " with AFC" : " without AFC"));
            KestrelSettings s = settingsFor(c.mode);
            s.afc = c.afc;
            const KestrelResult r = kestrelDecode(audio, s);
            EXPECT_LE(characterErrorRate(kContestText, r.text), c.errorRate) << r.text;
            expectReportedMark(r, t, mark);
            pin = pinOf(r, pin);
        }
    }
    EXPECT_EQ(pin, 4426574426368805569ull);
}

TEST(ContestMode, FiguresAndWordsAsTheLoggerWantsThem) {
    const std::string sent = "\r\nQRZ? TU? 599 001. 73. $5\r\n";
    const Transmission t = transmit(sent);
    KestrelSettings s = settingsFor(kDecodeFlutter);
    const std::string contest = kestrelDecode(t.audio, s).text;
    EXPECT_NE(contest.find("\nQRZ? TU9 599 001. 73/ 35\n"), std::string::npos) << contest;
    s.contest = false;
    const std::string plain = kestrelDecode(t.audio, s).text;
    EXPECT_NE(plain.find("\nQRZ? TU? 599 001. 73. $5\n"), std::string::npos) << plain;
}

TEST(Squelch, QuietOnNoiseAloneAndACallAfterNoiseIsCopiedFromItsFirstWord) {
    // A minute of noise alone prints at most five characters. A call with no lead-in after
    // ten seconds of noise and before eight more: the signal's first characters, held
    // until the squelch opens, are shown, the noise before it is not, and of the noise
    // after it (the squelch closes only as the levels sink) three characters at most;
    // nothing is taken from the message, not even its first word.
    Audio noise{12000, std::vector<double>(60 * 12000, 0.0)};
    addNoise(noise, kSignalRms * kSignalRms, 0.0, 4242);
    const Transmission t = transmit(kShortText, 45.45, 12000, {}, 10.0, 8.0);
    const Audio call = withNoise(t, 12.0, 21);
    for (const DecodeMode mode : {kDecodeFlutter, kDecodeSelectiv, kDecodeSpread, kDecodeDeep}) {
        KestrelSettings s = settingsFor(mode);
        const std::string open = kestrelDecode(call, s).text;
        s.squelch = true;
        SCOPED_TRACE(decodeModeText(mode));
        EXPECT_LE(printingCharacters(kestrelDecode(limitedToPeak(noise, 32000.0), s).text), 5u);
        const std::string squelched = kestrelDecode(call, s).text;
        EXPECT_LE(messageErrors(kShortText, squelched), messageErrors(kShortText, open))
            << squelched;
        const std::string lines = loggerLines(kShortText);
        const std::size_t at = squelched.find(lines);
        ASSERT_NE(at, std::string::npos) << squelched;
        EXPECT_EQ(printingCharacters(squelched.substr(0, at)), 0u) << open << "|" << squelched;
        EXPECT_LE(printingCharacters(squelched.substr(at + lines.size())), 3u) << squelched;
    }
}

// Senders whose stop elements are longer than 1.5 (1.75 and 2 elements): framing follows
// the stop it measures, and Flutter and Selectiv copy them whole.
TEST(Framing, FollowsALongerStop) {
    for (const double stop : {1.75, 2.0}) {
        const Audio sent = padded(
            scaledToRms(minimodemTransmit(kShortText, 45.45, 12000, {}, stop), kSignalRms), 1, 1);
        for (const DecodeMode mode : {kDecodeFlutter, kDecodeSelectiv})
            EXPECT_NE(kestrelDecode(sent, settingsFor(mode)).text.find("CQ TEST DE W1AW W1AW K"),
                      std::string::npos)
                << stop << " " << mode;
    }
}

// A strong call after ten seconds of noise, which teach Deep levels that say nothing of
// it and a clock that runs on into it: whatever they were, the call is found, and nearly
// always from its first word. A call after 150 ms of the sender's carrier (a tone of its
// own, whose phase does not run on into the text's), while the AFC's tones are still where
// 3 s of noise pulled them, tens of hertz off and apart: copied from its first character.
TEST(Deep, CopiesACallAfterNoiseOrACarrier) {
    // Of 40 copies at snrDb, how many hold `whole`; every one must hold `always`.
    const auto copies = [](const Transmission& t, double snrDb, const char* whole,
                           const char* always) {
        int holding = 0;
        for (unsigned seed = 1; seed <= 40; ++seed) {
            const std::string text =
                kestrelDecode(withNoise(t, snrDb, seed), settingsFor(kDecodeDeep)).text;
            EXPECT_NE(text.find(always), std::string::npos) << seed << ": " << text;
            holding += text.find(whole) != std::string::npos;
        }
        return holding;
    };
    const Transmission afterNoise = transmit(kShortText, 45.45, 12000, {}, 10.0, 1.5);
    EXPECT_GE(copies(afterNoise, 20.0, "CQ TEST DE W1AW W1AW K", "W1AW K"), 38);
    Transmission t = transmit("CQ TEST DE W1AW W1AW K\r\n", 45.45, 12000, {}, 0.0, 1.5);
    t.audio = padded(afterCarrier(t.audio, 0.15, 2125.0, kSignalRms), 3.0, 0.0);
    EXPECT_GE(copies(t, 0.0, "CQ TEST DE W1AW", ""), 39);
}

TEST(NewSignalNewLine, SecondTransmissionAfterIdleStartsALine) {
    Transmission first = transmit("CQ TEST DE W1AW", 45.45, 12000, {}, 1.0, 1.0);
    const Transmission second = transmit("DE DL5XYZ K", 45.45, 12000, {}, 0.0, 1.5);
    first.audio.samples.insert(first.audio.samples.end(), second.audio.samples.begin(),
                               second.audio.samples.end());
    KestrelSettings s;
    // Whatever the filters' ringing prints at the end of the first transmission and the
    // start of the second, the line break falls between them only with the switch on.
    auto between = [&](bool newline) {
        s.newline = newline;
        const std::string got = kestrelDecode(first.audio, s).text;
        const std::size_t end = got.find("W1AW"), start = got.find("DE DL5XYZ K");
        EXPECT_NE(end, std::string::npos) << got;
        EXPECT_NE(start, std::string::npos) << got;
        return end < start ? got.substr(end + 4, start - end - 4) : got;
    };
    for (const DecodeMode mode : {kDecodeFlutter, kDecodeDeep}) {
        SCOPED_TRACE(decodeModeText(mode));
        s = settingsFor(mode);
        EXPECT_NE(between(true).find('\n'), std::string::npos);
        EXPECT_EQ(between(false).find('\n'), std::string::npos);
    }
}

}  // namespace
}  // namespace kestrel::lab
