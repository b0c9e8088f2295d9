// Weak and fading signals: character error rates inside the message, on fixed-seed files.
#include <gtest/gtest.h>

#include "signal_helpers.h"

namespace kestrel::lab {
namespace {

const std::string kLongText = std::string(kContestText) + (kSerialText + 2);

double cer(const Audio& audio, DecodeMode mode, const std::string& text = kLongText) {
    return characterErrorRate(text, kestrelDecode(audio, settingsFor(mode)).text);
}

TEST(WhiteNoise, FlutterAt45Baud) {
    const Transmission t = transmit(kLongText);
    EXPECT_LE(cer(withNoise(t, -7.0, 101), DecodeMode::flutter), 0.01);
    EXPECT_LT(cer(withNoise(t, -10.0, 102), DecodeMode::flutter), 0.30);
}

TEST(WhiteNoise, SelectivAt45Baud) {
    const Transmission t = transmit(kLongText);
    EXPECT_LE(cer(withNoise(t, -6.0, 103), DecodeMode::selectiv), 0.01);
}

TEST(CcirPoor, SelectivAt0And3Db) {
    const Transmission t = transmit(kLongText);
    EXPECT_LE(cer(faded(t, kCcirPoor, 0.0, 201), DecodeMode::selectiv), 0.05);
    EXPECT_LE(cer(faded(t, kCcirPoor, 3.0, 203), DecodeMode::selectiv), 0.02);
}

TEST(CcirPoor, FlutterAndSpreadBeatMinimodemOnTheSameFiles) {
    const Transmission t = transmit(kLongText);
    for (const double snr : {-3.0, 3.0, 10.0}) {
        const Audio audio = faded(t, kCcirPoor, snr, 300 + static_cast<int>(snr));
        const auto path = tempWavPath("poor");
        writeWav(path, audio);
        const double peer = characterErrorRate(kLongText, minimodemReceive(path, 45.45));
        std::filesystem::remove(path);
        for (const DecodeMode mode : {DecodeMode::flutter, DecodeMode::spread})
            EXPECT_LT(cer(audio, mode), peer) << modeName(mode) << " at " << snr << " dB";
    }
}

}  // namespace
}  // namespace kestrel::lab
