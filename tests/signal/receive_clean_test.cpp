// Clean minimodem transmissions at every speed and at the two file rates.
#include <gtest/gtest.h>

#include <cmath>

#include "signal_helpers.h"

namespace kestrel::lab {
namespace {

struct Speed {
    double baud;
    int fileRate;
};

class CleanReception : public ::testing::TestWithParam<Speed> {};

// At most one character rings out of the filters on the digital silence at either end.
constexpr std::size_t kRinging = 2;

TEST_P(CleanReception, FlutterPrintsExactlyTheMessage) {
    const Speed s = GetParam();
    const Transmission t = transmit(kShortText, s.baud, s.fileRate);
    const std::string got = kestrelDecode(t.audio, settingsFor(kDecodeFlutter, s.baud)).text;
    std::string line(1, '\n');  // the message's line, whole
    line.append(loggerLines(kShortText)).push_back('\n');
    EXPECT_NE(got.find(line), std::string::npos) << got;
    EXPECT_LE(charactersAround(kShortText, got), kRinging) << got;
}

TEST_P(CleanReception, EveryModeGetsAllButAtMostTheFirstWord) {
    const Speed s = GetParam();
    const Transmission t = transmit(kShortText, s.baud, s.fileRate);
    const std::string message = normaliseText(kShortText);
    const std::string firstWord = message.substr(0, message.find(' '));
    const std::string afterFirstWord = message.substr(firstWord.size() + 1);
    for (const DecodeMode mode : {kDecodeSelectiv, kDecodeSpread}) {
        const std::string got = kestrelDecode(t.audio, settingsFor(mode, s.baud)).text;
        EXPECT_EQ(messageErrors(afterFirstWord, got), 0u) << modeName(mode) << ": " << got;
        EXPECT_LE(messageErrors(kShortText, got), firstWord.size())
            << modeName(mode) << ": " << got;
        EXPECT_LE(charactersAround(kShortText, got), kRinging) << modeName(mode) << ": " << got;
    }
}

INSTANTIATE_TEST_SUITE_P(SpeedsAndFileRates, CleanReception,
                         ::testing::Values(Speed{45.45, 12000}, Speed{45.45, 48000},
                                           Speed{50, 12000}, Speed{50, 48000}, Speed{75, 12000},
                                           Speed{75, 48000}),
                         [](const auto& info) {
                             return std::to_string(static_cast<int>(info.param.baud)) + "baud_" +
                                    std::to_string(info.param.fileRate);
                         });

TEST(CleanReception, ReversedTonesNeedReverse) {
    const Transmission t = transmit(kShortText, 45.45, 12000, Tones{2295.0, 2125.0});
    KestrelSettings s = settingsFor(kDecodeFlutter);
    s.reverse = true;
    EXPECT_EQ(messageErrors(kShortText, kestrelDecode(t.audio, s).text), 0u);
    s.reverse = false;
    EXPECT_GT(characterErrorRate(kShortText, kestrelDecode(t.audio, s).text), 0.5);
}

}  // namespace
}  // namespace kestrel::lab

namespace kestrel::lab {
namespace {

std::vector<std::int16_t> pcm(const Audio& audio) {
    std::vector<std::int16_t> out;
    for (const double x : audio.samples) out.push_back(static_cast<std::int16_t>(std::lround(x)));
    return out;
}

TEST(CapturedAudio, TheChosenChannelOfTheSoundCardIsDecoded) {
    // The sound card delivers 48000 samples/s; the transmission is on the right channel,
    // the left one is silent.
    const std::vector<std::int16_t> right = pcm(transmit(kShortText, 45.45, 48000).audio);
    std::vector<std::int16_t> stereo;
    for (const std::int16_t s : right) {
        stereo.push_back(0);
        stereo.push_back(s);
    }
    const KestrelSettings s = settingsFor(kDecodeFlutter);
    const std::string got = kestrelCapture(stereo, 2, s).text;
    EXPECT_EQ(messageErrors(kShortText, got), 0u) << got;
    EXPECT_LE(charactersAround(kShortText, got), kRinging) << got;
    EXPECT_EQ(kestrelCapture(stereo, 1, s).text, "");
    EXPECT_EQ(messageErrors(kShortText, kestrelCapture(right, 0, s).text), 0u);
}

}  // namespace
}  // namespace kestrel::lab
