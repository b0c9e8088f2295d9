// kestrel-cli encode end to end: the file it writes, and the text a peer (minimodem) and
// Kestrel read from it (its refusals are cli_decode_test's).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "signal_helpers.h"
#include "transmit/tx_frame.h"
#include "unit/scratch_folder.h"

namespace kestrel::lab {
namespace {

struct Wav {
    int channels = 0;
    std::uint32_t rate = 0;
    std::vector<std::int16_t> samples = {};
};

// Read byte by byte, not by the program's own reader, so that a fault the writer and the
// reader share still shows.
Wav readPcm(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> b{std::istreambuf_iterator<char>(in), {}};
    const auto le = [&](int at, int bytes) {
        std::uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
        return v;
    };
    if (b.size() < 44 || std::string(b.begin(), b.begin() + 4) != "RIFF") return {};
    EXPECT_EQ(le(4, 4), b.size() - 8);
    EXPECT_EQ(le(20, 2), 1u);   // PCM
    EXPECT_EQ(le(34, 2), 16u);  // bits
    Wav w{.channels = int(le(22, 2)), .rate = le(24, 4)};
    EXPECT_EQ(le(28, 4), w.rate * 2 * w.channels);
    EXPECT_EQ(le(40, 4), b.size() - 44);
    for (std::size_t i = 44; i + 1 < b.size(); i += 2)
        w.samples.push_back(static_cast<std::int16_t>(b[i] | b[i + 1] << 8));
    return w;
}

struct EncodeCommand : ::testing::Test {
    ScratchFolder scratch;
    std::filesystem::path out = scratch.path() / "encoded.wav";
    std::string quotedOut = "'" + out.string() + "'";
};

// By default DOOK at 45.45 baud, the text from standard input (mono asked for): preamble 2,
// the DOOK's own LTRS, LTRS, X, the closing LTRS and the closing frame (to standard output).
// PFSK on the right channel leaves the left one silent.
TEST_F(EncodeCommand, WritesTheModeSpeedAndChannelAsked) {
    const struct {
        std::string arguments, input;
        int channels;
        std::uint32_t rate;
        std::size_t frames;
    } cases[] = {{" - --channel mono", "X", 1, 12000, 7},
                 {" --mode=pfsk --baud 75 --channel right --text=RY", "", 2, 19800, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun r = c.input.empty() ? cli("encode " + quotedOut + c.arguments, "")
                                         : cli("encode" + c.arguments + " >" + quotedOut, c.input);
        ASSERT_EQ(r.status, 0) << r.err;
        const Wav w = readPcm(out);
        EXPECT_EQ(w.channels, c.channels);
        EXPECT_EQ(w.rate, c.rate);
        ASSERT_EQ(w.samples.size(), c.frames * kTxFrameSamples * c.channels);
        bool othersSilent = true;
        double sum = 0.0, swing = 0.0;  // it sounds, swinging evenly about zero
        for (std::size_t n = 0; n < w.samples.size(); n += c.channels) {
            for (int k = 0; k + 1 < c.channels; ++k) othersSilent &= w.samples[n + k] == 0;
            sum += w.samples[n + c.channels - 1];
            swing += std::abs(w.samples[n + c.channels - 1]);
        }
        EXPECT_TRUE(othersSilent);
        EXPECT_LT(std::abs(sum), 0.01 * swing);
    }
}

// Both two-tone sound modes at every speed, a logger's braces and line ends in the text:
// minimodem must print it exactly, clean and with white noise at +6 dB in 3 kHz (the
// signal's power measured before the closing frame); Kestrel must read the line whole
// with its line feed, the filters' ringing adding a stray character or two at its ends.
TEST_F(EncodeCommand, MinimodemAndKestrelReadItInAfskAndDookAtEverySpeed) {
    const std::string line = "CQ TEST DE K1ABC K1ABC 599 001 TU";
    for (const char* mode : {"afsk", "dook"}) {
        // AFSK on tones of its own, DOOK on the default ones.
        const bool ownTones = mode[0] == 'a';
        const std::string tones = ownTones ? " --mark 1275 --space 1445" : "";
        for (const char* baud : {"45.45", "50", "75"}) {
            SCOPED_TRACE(std::string(mode) + " at " + baud);
            const std::string speed = std::string(" --baud ") + baud + tones;
            const CliRun sent = cli("encode " + quotedOut + " --mode " + mode + speed +
                                    " --text '{CL}\rcq test de k1abc k1abc 599 001 tu{CR}{RX}'");
            ASSERT_EQ(sent.status, 0) << sent.err;
            const Tones peerTones = ownTones ? Tones{1275, 1445} : Tones{};
            EXPECT_EQ(minimodemReceive(out, std::stod(baud), peerTones), "\r\n" + line + "\n");
            Audio noisy = readWav(out);
            const std::size_t sending = noisy.samples.size() - kTxFrameSamples;
            double power = 0.0, peak = 0.0;
            for (std::size_t n = 0; n < sending; ++n) {
                power += noisy.samples[n] * noisy.samples[n];
                peak = std::max(peak, std::abs(noisy.samples[n]));
            }
            // Sines at full level, not square waves: a sine's peak power is twice its mean.
            EXPECT_GT(peak * peak, 1.8 * power / double(sending));
            EXPECT_GT(peak, 20000.0);
            addNoise(noisy, power / double(sending), 6.0, 20260);
            const auto noisyPath = scratch.path() / "noisy.wav";
            writeWav(noisyPath, limitedToPeak(noisy, 30000.0));
            EXPECT_EQ(minimodemReceive(noisyPath, std::stod(baud), peerTones),
                      "\r\n" + line + "\n");

            const CliRun heard = cli("decode " + quotedOut + speed +
                                     " --mode flutter --contest off --repeat-match off");
            ASSERT_EQ(heard.status, 0) << heard.err;
            EXPECT_NE(heard.out.find(line + "\n"), std::string::npos) << heard.out;
            EXPECT_LE(printingCharacters(heard.out), printingCharacters(line) + 3) << heard.out;
        }
    }
}

}  // namespace
}  // namespace kestrel::lab
