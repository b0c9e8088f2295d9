// kestrel-cli encode end to end: the file it writes, the text a peer reads from it, and its
// refusal of bad options.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "signal_helpers.h"
#include "transmit/tx_buffer.h"
#include "unit/scratch_folder.h"

namespace kestrel::lab {
namespace {

struct Wav {
    int channels = 0;
    std::uint32_t rate = 0;
    std::vector<std::int16_t> samples;
};

std::uint32_t le(const std::vector<unsigned char>& b, int at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
    return v;
}

Wav readWav(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> b{std::istreambuf_iterator<char>(in), {}};
    Wav w;
    if (b.size() < 44 || std::string(b.begin(), b.begin() + 4) != "RIFF") return w;
    EXPECT_EQ(le(b, 4, 4), b.size() - 8);
    EXPECT_EQ(le(b, 20, 2), 1u);   // PCM
    EXPECT_EQ(le(b, 34, 2), 16u);  // bits
    w.channels = int(le(b, 22, 2));
    w.rate = le(b, 24, 4);
    EXPECT_EQ(le(b, 28, 4), w.rate * 2 * w.channels);
    EXPECT_EQ(le(b, 40, 4), b.size() - 44);
    for (std::size_t i = 44; i + 1 < b.size(); i += 2)
        w.samples.push_back(static_cast<std::int16_t>(b[i] | b[i + 1] << 8));
    return w;
}

class EncodeCommand : public ::testing::Test {
  protected:
    ScratchFolder scratch;
    std::filesystem::path out = scratch.path() / "encoded.wav";
    std::string quotedOut = "'" + out.string() + "'";
};

TEST_F(EncodeCommand, DefaultsToDookMonoAt45BaudAndReadsStandardInput) {
    const CliRun r = cli("encode " + quotedOut, "X");
    ASSERT_EQ(r.status, 0) << r.err;
    const Wav w = readWav(out);
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.rate, 12000u);
    // Preamble 2, the DOOK's own LTRS, LTRS, X, the closing LTRS and the closing frame.
    EXPECT_EQ(w.samples.size(), 7u * 1980);
}

TEST_F(EncodeCommand, PfskOnTheRightChannelAt75Baud) {
    const CliRun r =
        cli("encode " + quotedOut + " --mode=pfsk --baud 75 --channel right --text=RY");
    ASSERT_EQ(r.status, 0) << r.err;
    const Wav w = readWav(out);
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.rate, 19800u);
    ASSERT_EQ(w.samples.size(), 8u * 1980 * 2);
    bool leftSilent = true, rightSounds = false;
    for (std::size_t n = 0; n < w.samples.size(); n += 2) {
        leftSilent = leftSilent && w.samples[n] == 0;
        rightSounds = rightSounds || w.samples[n + 1] != 0;
    }
    EXPECT_TRUE(leftSilent);
    EXPECT_TRUE(rightSounds);
}

TEST_F(EncodeCommand, MinimodemReadsTheFileWithBracesAndLineEndsAsTheWindowTreatsThem) {
    const CliRun r = cli("encode " + quotedOut + " --mode afsk --baud 50 --mark 1275 --space 1445" +
                         " --text '{CL}\rqrz? de k1abc{CR}{RX}'");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string decoded = minimodemReceive(out, 50, {1275, 1445});
    EXPECT_EQ(decoded, "\r\nQRZ? DE K1ABC\n");
}

TEST_F(EncodeCommand, BadOptionsAreRefusedWithAMessage) {
    // Also a text longer than the transmit buffer, tones too close to tell apart and a
    // file that cannot be written: never a silent loss.
    for (const std::string& args : std::vector<std::string>{
             "encode", "encode --mode fsk x.wav", "encode x.wav --channel both",
             "encode x.wav y.wav", "encode x.wav --baud 110", "encode x.wav --frobnicate",
             "encode x.wav --text",
             "encode " + quotedOut + " --text " + std::string(kTxRingSize, 'E'),
             "encode x.wav --mark 2125 --space 2125", "encode /dev/full --text e"}) {
        SCOPED_TRACE(args.substr(0, 60));
        const CliRun r = cli(args);
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.err.find("kestrel-cli encode: "), std::string::npos) << r.err.substr(0, 400);
    }
    EXPECT_FALSE(std::filesystem::exists("x.wav"));
    EXPECT_FALSE(std::filesystem::exists(out));
}

std::string withoutBlanks(const std::string& s) {
    std::string out;
    for (char c : s)
        if (c != ' ' && c != '\r' && c != '\n') out += c;
    return out;
}

// What Kestrel sends, Kestrel reads: encode then decode, both sound modes that carry
// two tones' worth of information, every speed. The filters ring into the silence around
// the transmission, so a stray character or two may stand at either end, never inside.
// The text ends with the file: its last characters must still come out.
TEST_F(EncodeCommand, KestrelDecodesWhatItSendsInAfskAndDookAtEverySpeed) {
    const std::string line = "CQ TEST DE K1ABC K1ABC 599 001 TU";
    for (const char* mode : {"afsk", "dook"}) {
        for (const char* baud : {"45.45", "50", "75"}) {
            SCOPED_TRACE(std::string(mode) + " at " + baud);
            const CliRun sent = cli("encode " + quotedOut + " --mode " + mode + " --baud " + baud +
                                    " --text '\r" + line + "'");
            ASSERT_EQ(sent.status, 0) << sent.err;
            const CliRun heard = cli("decode " + quotedOut + " --baud " + std::string(baud) +
                                     " --mode flutter --contest off --repeat-match off");
            ASSERT_EQ(heard.status, 0) << heard.err;
            EXPECT_NE(heard.out.find(line), std::string::npos) << heard.out;
            EXPECT_LE(withoutBlanks(heard.out).size(), withoutBlanks(line).size() + 3) << heard.out;
        }
    }
}

}  // namespace
}  // namespace kestrel::lab
