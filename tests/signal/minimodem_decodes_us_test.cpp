// A peer decodes us: minimodem, an independent RTTY modem, must print exactly the text of
// our AFSK and DOOK transmissions at every speed, clean and in white noise.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/fakes.h"
#include "lab/lab.h"
#include "transmit/offline_transmitter.h"

namespace kestrel {
namespace {

// Plain text of a contest exchange; it begins on a new line, as a logger's messages do.
constexpr const char* kText = "\rCQ TEST DE K1ABC K1ABC 599 001 TU\r";
constexpr const char* kExpected = "\r\nCQ TEST DE K1ABC K1ABC 599 001 TU\r\n";

struct Speed {
    int baudIndex;
    const char* baud;
    int sampleRate;
};
constexpr Speed kSpeeds[] = {{0, "45.45", 12000}, {1, "50", 13200}, {2, "75", 19800}};

// Our transmission (left channel) with white Gaussian noise at snrDb, the signal's power
// measured over the preamble and the characters (everything before the closing frame);
// what minimodem reads from it, the file scaled to a peak of 30000.
std::string decoded(const std::vector<std::int16_t>& stereo, const Speed& speed, double snrDb) {
    lab::Audio audio{speed.sampleRate, {}};
    for (std::size_t n = 0; n < stereo.size(); n += 2) audio.samples.push_back(stereo[n]);
    const std::size_t sending = audio.samples.size() - kTxFrameSamples;
    double power = 0.0;
    for (std::size_t n = 0; n < sending; ++n) power += audio.samples[n] * audio.samples[n];
    if (snrDb < 100) lab::addNoise(audio, power / double(sending), snrDb, 20260 + speed.baudIndex);
    const auto path = lab::tempWavPath("peer");
    lab::writeWav(path, lab::limitedToPeak(audio, 30000.0));
    const std::string text = lab::minimodemReceive(path, std::stod(speed.baud));
    std::filesystem::remove(path);
    return text;
}

void expectDecoded(int txMode, const char* modeName) {
    for (const Speed& speed : kSpeeds) {
        SCOPED_TRACE(std::string(modeName) + " at " + speed.baud + " baud");
        ModemState state;
        state.TXmode = txMode;
        state.baudIndex = speed.baudIndex;
        state.sampleRate = speed.sampleRate;
        RecordingUi ui;
        OfflineTransmitter transmitter(state, ui);
        const auto signal = transmitter.transmit(kText);
        EXPECT_EQ(decoded(signal, speed, 1000), kExpected);
        EXPECT_EQ(decoded(signal, speed, 6.0), kExpected);
        EXPECT_TRUE(ui.messageBoxes().empty());
    }
}

TEST(MinimodemDecodesUs, AfskAtEverySpeedCleanAndAtPlus6DbIn3kHz) {
    expectDecoded(0, "AFSK");
}

TEST(MinimodemDecodesUs, DookAtEverySpeedCleanAndAtPlus6DbIn3kHz) {
    expectDecoded(1, "DOOK");
}

}  // namespace
}  // namespace kestrel
