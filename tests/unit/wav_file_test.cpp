#include "audio_in/wav_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "audio_in/wav_player.h"
#include "fakes/fake_ui_port.h"
#include "fakes/memory_byte_source.h"
#include "unit/scratch_folder.h"

namespace kestrel {
namespace {

using Bytes = std::vector<std::uint8_t>;

void append32(Bytes& b, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) b.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}

void append16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void appendChunk(Bytes& b, const char* id, const Bytes& body, bool pad = true) {
    for (int k = 0; k < 4; ++k) b.push_back(static_cast<std::uint8_t>(id[k]));
    append32(b, static_cast<std::uint32_t>(body.size()));
    for (const std::uint8_t x : body) b.push_back(x);
    if (pad && body.size() % 2) b.push_back(0);
}

Bytes formatBody(std::uint16_t format, std::uint16_t channels, std::uint32_t rate,
                 std::uint16_t bits, std::size_t extra = 0) {
    Bytes f;
    append16(f, format);
    append16(f, channels);
    append32(f, rate);
    append32(f, rate * channels * bits / 8);
    append16(f, channels * bits / 8);
    append16(f, bits);
    f.resize(f.size() + extra, 0);
    return f;
}

Bytes samplesBody(const std::vector<std::int16_t>& samples) {
    Bytes d;
    for (const std::int16_t s : samples) append16(d, static_cast<std::uint16_t>(s));
    return d;
}

// RIFF/WAVE followed by the given chunks (RIFF size filled in).
Bytes riff(const std::vector<Bytes>& chunks) {
    Bytes b{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const Bytes& c : chunks) b.insert(b.end(), c.begin(), c.end());
    const std::uint32_t size = static_cast<std::uint32_t>(b.size() - 8);
    for (int k = 0; k < 4; ++k) b[4 + k] = static_cast<std::uint8_t>(size >> (8 * k));
    return b;
}

Bytes chunk(const char* id, const Bytes& body) {
    Bytes c;
    appendChunk(c, id, body);
    return c;
}

Bytes monoFile(std::uint32_t rate, const std::vector<std::int16_t>& samples) {
    return riff({chunk("fmt ", formatBody(1, 1, rate, 16)), chunk("data", samplesBody(samples))});
}

WavVerdict inspect(Bytes bytes, WavLayout& layout) {
    MemoryByteSource source(std::move(bytes));
    return inspectWav(source, layout);
}

WavVerdict inspect(Bytes bytes) {
    WavLayout layout;
    return inspect(std::move(bytes), layout);
}

// The file samples that reach processSample when a checked file plays at sampleRate.
std::vector<double> play(WavToPlay& file, int sampleRate) {
    ModemState state;
    state.sampleRate = sampleRate;
    state.wavPlaying = 1;
    std::vector<double> got;
    wavPlayer(
        file, state, [&](double x) { got.push_back(x * kWavSampleScale); }, [](char16_t) {});
    return got;
}

std::vector<double> play(Bytes bytes) {
    WavToPlay file;
    file.source = std::make_unique<MemoryByteSource>(std::move(bytes));
    EXPECT_EQ(inspectWav(*file.source, file.layout), WavVerdict::playable);
    return play(file, 12000);
}

TEST(WavHeader, CanonicalMono8000Layout) {
    const auto h = wavHeader(3);
    const Bytes expected = {'R', 'I', 'F',  'F',  42,  0,   0,    0,    'W', 'A', 'V',
                            'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,   1,   0,
                            1,   0,   0x40, 0x1F, 0,   0,   0x80, 0x3E, 0,   0,   2,
                            0,   16,  0,    'd',  'a', 't', 'a',  6,    0,   0,   0};
    EXPECT_EQ(Bytes(h.begin(), h.end()), expected);
}

TEST(WavWrite, FileOfNSamplesIs44Plus2NBytesAndPlaysBackEverySample) {
    const std::vector<std::int16_t> samples = {1, -2, 32767, -32768, 0, 3726, 100};
    const ScratchFolder dir;
    const auto path = dir.path() / "contact.wav";
    RecordingUi ui;
    EXPECT_TRUE(writeWavFile(path, samples, ui));
    EXPECT_TRUE(ui.messageBoxes().empty());
    EXPECT_EQ(std::filesystem::file_size(path), 44u + 2 * samples.size());

    WavToPlay file;
    ASSERT_EQ(openWavToPlay(path, file), nullptr);
    EXPECT_EQ(file.layout.sampleRate, 8000);
    EXPECT_EQ(file.layout.dataOffset, 44u);
    EXPECT_EQ(file.layout.sampleCount, samples.size());
    const std::vector<double> got = play(file, 8000);  // one call per file sample
    ASSERT_EQ(got.size(), samples.size());
    for (std::size_t k = 0; k < samples.size(); ++k) EXPECT_NEAR(got[k], samples[k], 1e-9);
}

TEST(WavWrite, UnopenablePathShowsTheOpenMessageAndWritesNothing) {
    RecordingUi ui;
    const ScratchFolder dir;
    const std::vector<std::int16_t> samples = {1, 2};
    EXPECT_FALSE(writeWavFile(dir.path() / "missing" / "x.wav", samples, ui));
    EXPECT_EQ(
        ui.messageBoxes(),
        (std::vector<UiMessageBox>{{"Files 258 Failed to open save Wav file", "", kMbTopMost}}));
}

TEST(WavWrite, FailedSampleWriteShowsTheWriteMessage) {  // /dev/full: every write fails
    RecordingUi ui;
    const std::vector<std::int16_t> samples(100000, 7);
    EXPECT_FALSE(writeWavFile("/dev/full", samples, ui));
    EXPECT_EQ(ui.messageBoxes(),
              (std::vector<UiMessageBox>{{"saveWav write errorfiles 275", "", kMbTopMost}}));
}

TEST(WavCheck, TagsAndFormatGiveTheirMessages) {
    Bytes wrongRiff = monoFile(8000, {1});
    wrongRiff[3] = 'X';
    Bytes wrongWave = monoFile(8000, {1});
    wrongWave[11] = 'X';
    EXPECT_EQ(inspect(wrongRiff), WavVerdict::notWav);
    EXPECT_EQ(inspect(wrongWave), WavVerdict::notWav);
    EXPECT_EQ(inspect(Bytes{'R', 'I', 'F', 'F', 0}), WavVerdict::notWav);
    EXPECT_EQ(inspect(Bytes{}), WavVerdict::notWav);
    EXPECT_STREQ(wavVerdictMessage(WavVerdict::notWav), "Sorry not a .wav file");

    EXPECT_EQ(inspect(riff({chunk("data", Bytes(4)), chunk("fmt ", formatBody(1, 1, 8000, 16))})),
              WavVerdict::unknownVersion);
    EXPECT_EQ(inspect(riff({chunk("LIST", Bytes(6))})), WavVerdict::unknownVersion);
    EXPECT_STREQ(wavVerdictMessage(WavVerdict::unknownVersion),
                 "Sorry Kestrel does not yet work with this version of .wav file");

    for (const Bytes& f : {formatBody(1, 2, 48000, 16), formatBody(1, 1, 6000, 16),
                           formatBody(1, 1, 0x80000000u, 16), formatBody(1, 0, 8000, 16)})
        EXPECT_EQ(inspect(riff({chunk("fmt ", f), chunk("data", Bytes(4))})),
                  WavVerdict::wrongFormat);
    EXPECT_EQ(inspect(monoFile(8000, {1})), WavVerdict::playable);
}

TEST(WavCheck, OnlySixteenBitPcmPlays) {
    auto verdict = [](const Bytes& fmt) {
        return inspect(riff({chunk("fmt ", fmt), chunk("data", Bytes(8))}));
    };
    EXPECT_EQ(verdict(formatBody(1, 1, 8000, 8)), WavVerdict::notPcm16);
    EXPECT_EQ(verdict(formatBody(3, 1, 48000, 32)), WavVerdict::notPcm16);  // float
    EXPECT_EQ(verdict(formatBody(6, 1, 8000, 16)), WavVerdict::notPcm16);   // A-law
    // Extensible format: cbSize 22, valid bits, channel mask, then the sub-format GUID.
    Bytes extensible = formatBody(0xFFFE, 1, 12000, 16, 24);
    extensible[16] = 22;
    extensible[24] = 1;  // PCM sub-format
    EXPECT_EQ(verdict(extensible), WavVerdict::playable);
    extensible[24] = 3;  // float sub-format
    EXPECT_EQ(verdict(extensible), WavVerdict::notPcm16);
    EXPECT_NE(std::string(kWavNotPcm16).find("16-bit PCM"), std::string::npos);
}

TEST(WavCheck, DamagedOrShortFormatAndMissingDataSayNoData) {
    Bytes shortFormat = formatBody(1, 1, 8000, 16);
    shortFormat.resize(14);
    EXPECT_EQ(inspect(riff({chunk("fmt ", shortFormat), chunk("data", Bytes(4))})),
              WavVerdict::noData);
    EXPECT_EQ(inspect(riff({chunk("fmt ", formatBody(1, 1, 8000, 16))})), WavVerdict::noData);
    Bytes cutInFormat = monoFile(8000, {1, 2});
    cutInFormat.resize(30);
    EXPECT_EQ(inspect(cutInFormat), WavVerdict::noData);
    Bytes cutInDataHeader = monoFile(8000, {1, 2});
    cutInDataHeader.resize(40);
    EXPECT_EQ(inspect(cutInDataHeader), WavVerdict::noData);
    Bytes cutAfterHeader = monoFile(8000, {1, 2});
    cutAfterHeader.resize(44);
    EXPECT_EQ(inspect(cutAfterHeader), WavVerdict::noData);
    EXPECT_EQ(inspect(monoFile(8000, {})), WavVerdict::noData);
}

TEST(WavCheck, DataIsFoundPastOtherChunksAndPadBytes) {
    // A LIST chunk of odd size (with its pad byte) and an 18-byte format chunk.
    const Bytes bytes = riff({chunk("LIST", Bytes{'I', 'N', 'F', 'O', 'x'}),
                              chunk("fmt ", formatBody(1, 1, 12000, 16, 2)),
                              chunk("data", samplesBody({5, -6, 7}))});
    WavLayout layout;
    ASSERT_EQ(inspect(bytes, layout), WavVerdict::playable);
    EXPECT_EQ(layout.dataOffset, 12u + 14u + 26u + 8u);
    EXPECT_EQ(layout.sampleCount, 3u);
    EXPECT_EQ(layout.sampleRate, 12000);
    EXPECT_EQ(play(bytes), (std::vector<double>{5, -6, 7}));
}

TEST(WavCheck, DataSizesThatLieOrAreOddPlayWhatTheFileHolds) {
    // The 44-byte header is followed directly by the samples: none of them is skipped and
    // no header byte is played as audio.
    EXPECT_EQ(play(monoFile(12000, {11, 22, 33})), (std::vector<double>{11, 22, 33}));
    Bytes lying = monoFile(12000, {1, 2, 3});
    lying[40] = 0xFF;  // data size 0xFFFFFFFF, as a streaming writer leaves it
    lying[41] = lying[42] = lying[43] = 0xFF;
    EXPECT_EQ(play(lying), (std::vector<double>{1, 2, 3}));

    Bytes odd = monoFile(12000, {1, 2, 3});
    odd[40] = 5;  // five data bytes: the half sample is not played
    EXPECT_EQ(play(odd), (std::vector<double>{1, 2}));

    Bytes riffSizeWrong = monoFile(12000, {4, 5});
    riffSizeWrong[4] = 4;  // RIFF size smaller than the file: ignored
    riffSizeWrong[5] = riffSizeWrong[6] = riffSizeWrong[7] = 0;
    EXPECT_EQ(play(riffSizeWrong), (std::vector<double>{4, 5}));
}

}  // namespace
}  // namespace kestrel
