// Clean minimodem transmissions at every speed and at the two file rates, and reversed
// tones. (The sound card's channels and its 48000 samples/s are wine.kestrel_live's.)
#include <gtest/gtest.h>

#include "frontend/spectrum_view.h"
#include "signal_helpers.h"

namespace kestrel::lab {
namespace {

// Every mode prints the message's line and nothing else, at every speed and at the two file
// rates: neither the silence on either side nor the tone filters' ringing into it (170 ms
// of their 1024 taps) is a character, and the first word after the silence comes in letters.
TEST(CleanReception, EveryModePrintsTheMessage) {
    for (const double baud : {45.45, 50.0, 75.0}) {
        for (const int fileRate : {12000, 48000}) {
            const Audio audio = transmit(kShortText, baud, fileRate).audio;
            for (const DecodeMode mode :
                 {kDecodeFlutter, kDecodeSelectiv, kDecodeSpread, kDecodeDeep}) {
                const std::string got = kestrelDecode(audio, settingsFor(mode, baud)).text;
                SCOPED_TRACE(testing::Message() << baud << " baud, " << fileRate << "/s, "
                                                << decodeModeText(mode) << ": " << got);
                EXPECT_NE(got.find('\n' + loggerLines(kShortText) + '\n'), std::string::npos);
                EXPECT_EQ(printingCharacters(got), printingCharacters(kShortText));
            }
        }
    }
}

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
