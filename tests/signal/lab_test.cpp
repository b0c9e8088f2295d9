// The signal lab checked where it could be wrong: the SNR of the noise it adds, the power
// and statistics of its fading, the scoring of received text: faults there would let a
// weak receiver pass.
#include "lab/lab.h"

#include <gtest/gtest.h>
#include <kiss_fft.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace kestrel::lab {
namespace {

// Noise power between 0 and 3000 Hz, from averaged periodograms of 4096-sample blocks.
double powerBelow3000Hz(const Audio& audio) {
    constexpr int n = 4096;
    kiss_fft_cfg cfg = kiss_fft_alloc(n, 0, nullptr, nullptr);
    std::vector<kiss_fft_cpx> in(n), out(n);
    double total = 0.0;
    int blocks = 0;
    for (std::size_t start = 0; start + n <= audio.samples.size(); start += n, ++blocks) {
        for (int k = 0; k < n; ++k) in[k] = {audio.samples[start + k], 0.0};
        kiss_fft(cfg, in.data(), out.data());
        // Parseval: mean square = sum |X|^2 / n^2; the band 0..3000 Hz holds bins on both
        // sides of 0.
        const int top = static_cast<int>(3000.0 * n / audio.rate);
        for (int k = -top; k < top; ++k) {
            const kiss_fft_cpx& c = out[(k + n) % n];
            total += (c.r * c.r + c.i * c.i) / (static_cast<double>(n) * n);
        }
    }
    kiss_fft_free(cfg);
    return total / blocks;
}

TEST(LabNoise, PowerIn3000HzIsSignalPowerOverSnr) {
    for (const int rate : {12000, 48000}) {
        for (const double snr : {-10.0, 0.0, 6.0}) {
            Audio silence{rate, std::vector<double>(static_cast<std::size_t>(rate) * 20, 0.0)};
            addNoise(silence, 1.0e6, snr, 7);
            EXPECT_NEAR(powerBelow3000Hz(silence) / (1.0e6 / std::pow(10.0, snr / 10.0)), 1.0, 0.03)
                << rate << " " << snr;
        }
    }
}

TEST(LabFading, PathGainIsRayleighWithGaussianDopplerSpectrum) {
    // 2000 s at 100 samples/s of a 2 Hz spread path (deviation 1 Hz) of mean power 0.5.
    const int rate = 100;
    const auto g = rayleighPathGains(2.0, 0.5, rate, 200000, 11);
    double power = 0.0;
    int deepFades = 0;
    for (const auto& x : g) {
        power += std::norm(x);
        deepFades += std::norm(x) < 0.1 * 0.5;
    }
    power /= static_cast<double>(g.size());
    EXPECT_NEAR(power, 0.5, 0.025);
    // Rayleigh: P(|g|^2 < 0.1 mean) = 1 - exp(-0.1).
    EXPECT_NEAR(deepFades / static_cast<double>(g.size()), 1.0 - std::exp(-0.1), 0.015);
    // Gaussian spectrum of standard deviation 1 Hz: autocorrelation exp(-2 pi^2 tau^2).
    for (const double tau : {0.125, 0.25, 0.5}) {
        const auto lag = static_cast<std::size_t>(tau * rate);
        std::complex<double> r = 0.0;
        for (std::size_t i = 0; i + lag < g.size(); ++i) r += g[i + lag] * std::conj(g[i]);
        EXPECT_NEAR(std::abs(r) / static_cast<double>(g.size() - lag) / 0.5,
                    std::exp(-2 * std::numbers::pi * std::numbers::pi * tau * tau), 0.06)
            << tau;
    }
}

TEST(LabFading, ChannelKeepsTheMeanPowerAndDelaysTheSecondPath) {
    // A wide spread averages quickly; the normalisation does not depend on the spread.
    Audio tone{12000, {}};
    for (int i = 0; i < 12000 * 15; ++i)
        tone.samples.push_back(1000.0 * std::sin(2 * std::numbers::pi * 2125.0 * i / 12000));
    const FadingProfile fast{"fast", 0.002, 40.0};
    EXPECT_NEAR(meanSquare(watterson(tone, fast, 5)) / meanSquare(tone), 1.0, 0.06);
    // An impulse comes out twice: at once and 2 ms (24 samples) later.
    Audio click{12000, std::vector<double>(4000, 0.0)};
    click.samples[2000] = 1000.0;
    const Audio echoes = watterson(click, fast, 5);
    EXPECT_GT(std::abs(echoes.samples[2000]), 1.0);
    EXPECT_GT(std::abs(echoes.samples[2024]), 1.0);
    EXPECT_LT(std::abs(echoes.samples[2012]), 0.1 * std::abs(echoes.samples[2000]));
}

TEST(LabScore, MessageIsFoundInsideNoiseAndCountedByEditDistance) {
    const std::string sent = "\r\nCQ TEST W1AW\r\n";
    EXPECT_EQ(normaliseText(sent), "CQ TEST W1AW");
    EXPECT_EQ(normaliseText(" a \n\n b\r"), "A B");
    EXPECT_EQ(messageErrors(sent, "XE T5 \nCQ  TEST W1AW\nQ3 E"), 0u);
    EXPECT_EQ(messageErrors(sent, "CQ TEST W1AV"), 1u);   // substituted
    EXPECT_EQ(messageErrors(sent, "CQ TST W1AW"), 1u);    // dropped
    EXPECT_EQ(messageErrors(sent, "CQ TEEST W1AW"), 1u);  // inserted
    EXPECT_EQ(messageErrors(sent, ""), 12u);
    EXPECT_DOUBLE_EQ(characterErrorRate(sent, "EE CQ TEST W1AV EE"), 1.0 / 12.0);
}

TEST(LabIdeal, PrintsTheCodesSentAndLosesWhatItsBitErrorsCost) {
    // Read back from the clean transmission: every character of the message, no more.
    EXPECT_EQ(messageErrors(measuredMessage(), idealPrint(sentCodes(), 0.0, 1)), 0u);
    // One bit in twenty wrong: a character in four, and the lost shifts on top of that.
    const double cer = characterErrorRate(measuredMessage(), idealPrint(sentCodes(), 0.05, 1));
    EXPECT_GT(cer, 1.0 - std::pow(0.95, 5));
    EXPECT_LT(cer, 0.5);
}

}  // namespace
}  // namespace kestrel::lab
