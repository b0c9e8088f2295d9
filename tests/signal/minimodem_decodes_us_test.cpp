// A peer decodes us: minimodem, an independent RTTY modem, must print exactly the text of
// our AFSK and DOOK transmissions at every speed, clean and in white noise.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "audio_in/wav_file.h"
#include "fakes/fake_ui_port.h"
#include "transmit/offline_transmitter.h"
#include "unit/scratch_folder.h"

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

std::vector<double> leftChannel(const std::vector<std::int16_t>& stereo) {
    std::vector<double> mono;
    for (std::size_t n = 0; n < stereo.size(); n += 2) mono.push_back(stereo[n]);
    return mono;
}

// Adds white Gaussian noise at `snrDb` in a 3 kHz bandwidth, the signal's power measured
// over the preamble and the characters (everything before the closing frame).
std::vector<double> withNoise(std::vector<double> x, double snrDb, int sampleRate, unsigned seed) {
    const std::size_t sending = x.size() - kTxFrameSamples;
    double power = 0.0;
    for (std::size_t n = 0; n < sending; ++n) power += x[n] * x[n];
    power /= double(sending);
    const double noiseInBand = power / std::pow(10.0, snrDb / 10.0);
    const double sigma = std::sqrt(noiseInBand * (sampleRate / 2.0) / 3000.0);
    std::mt19937 random(seed);
    std::normal_distribution<double> gauss(0.0, sigma);
    for (double& v : x) v += gauss(random);
    return x;
}

std::string decode(const std::vector<double>& x, const Speed& speed, const std::string& name) {
    double peak = 1.0;
    for (double v : x) peak = std::max(peak, std::abs(v));
    std::vector<std::int16_t> pcm;
    for (double v : x) pcm.push_back(static_cast<std::int16_t>(std::lround(v * 30000.0 / peak)));
    const ScratchFolder scratch;
    const auto path = scratch.path() / name;
    EXPECT_TRUE(writeWavFile(path, pcm, speed.sampleRate, 1));
    // With a numeric speed minimodem expects one stop element unless told otherwise.
    const std::string command = std::string("minimodem --rx --baudot --stopbits 1.5 -q") +
                                " -M 2125 -S 2295 -f '" + path.string() + "' " + speed.baud +
                                " 2>/dev/null";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
        pclose(pipe);
    }
    return out;
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
        const auto signal = leftChannel(transmitter.transmit(kText));
        EXPECT_EQ(decode(signal, speed, "clean.wav"), kExpected);
        const auto noisy = withNoise(signal, 6.0, speed.sampleRate, 20260 + speed.baudIndex);
        EXPECT_EQ(decode(noisy, speed, "noisy.wav"), kExpected);
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
