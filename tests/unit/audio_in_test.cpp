#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "audio_in/capture.h"
#include "audio_in/wav_file.h"
#include "audio_in/wav_player.h"
#include "fakes/fakes.h"
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

// A file cut or altered at byte `at` (to `size` bytes, or `at` set to `to`).
Bytes altered(Bytes b, std::size_t at, int to, std::size_t size = 0) {
    if (to >= 0) b[at] = static_cast<std::uint8_t>(to);
    if (size > 0) b.resize(size);
    return b;
}

TEST(WavCheck, EachDamageGetsItsVerdict) {
    const Bytes good = monoFile(8000, {1, 2});
    const auto withFormat = [](const Bytes& fmt) {
        return riff({chunk("fmt ", fmt), chunk("data", Bytes(8))});
    };
    // Extensible format: cbSize 22, valid bits, channel mask, then the sub-format GUID.
    Bytes extensible = formatBody(0xFFFE, 1, 12000, 16, 24);
    extensible[16] = 22;
    extensible[24] = 1;  // PCM sub-format
    Bytes shortFormat = formatBody(1, 1, 8000, 16);
    shortFormat.resize(14);
    const struct {
        const char* what;
        Bytes bytes;
        WavVerdict verdict;
    } cases[] = {
        {"good", good, WavVerdict::playable},
        {"RIFX", altered(good, 3, 'X'), WavVerdict::notWav},
        {"WAVX", altered(good, 11, 'X'), WavVerdict::notWav},
        {"5 bytes", Bytes{'R', 'I', 'F', 'F', 0}, WavVerdict::notWav},
        {"empty", Bytes{}, WavVerdict::notWav},
        {"data first", riff({chunk("data", Bytes(4)), chunk("fmt ", formatBody(1, 1, 8000, 16))}),
         WavVerdict::unknownVersion},
        {"no format", riff({chunk("LIST", Bytes(6))}), WavVerdict::unknownVersion},
        {"stereo", withFormat(formatBody(1, 2, 48000, 16)), WavVerdict::wrongFormat},
        {"6000/s", withFormat(formatBody(1, 1, 6000, 16)), WavVerdict::wrongFormat},
        {"rate 2^31", withFormat(formatBody(1, 1, 0x80000000u, 16)), WavVerdict::wrongFormat},
        {"no channels", withFormat(formatBody(1, 0, 8000, 16)), WavVerdict::wrongFormat},
        {"8-bit", withFormat(formatBody(1, 1, 8000, 8)), WavVerdict::notPcm16},
        {"float", withFormat(formatBody(3, 1, 48000, 32)), WavVerdict::notPcm16},
        {"A-law", withFormat(formatBody(6, 1, 8000, 16)), WavVerdict::notPcm16},
        {"extensible PCM", withFormat(extensible), WavVerdict::playable},
        {"extensible float", withFormat(altered(extensible, 24, 3)), WavVerdict::notPcm16},
        {"short format", withFormat(shortFormat), WavVerdict::noData},
        {"no data", riff({chunk("fmt ", formatBody(1, 1, 8000, 16))}), WavVerdict::noData},
        {"cut in format", altered(good, 0, -1, 30), WavVerdict::noData},
        {"cut in data header", altered(good, 0, -1, 40), WavVerdict::noData},
        {"cut after header", altered(good, 0, -1, 44), WavVerdict::noData},
        {"no samples", monoFile(8000, {}), WavVerdict::noData},
    };
    for (const auto& c : cases) EXPECT_EQ(inspect(c.bytes), c.verdict) << c.what;
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

// Polls every 5 ms until the condition holds; false after two seconds.
template <typename Condition>
bool within2s(Condition condition) {
    for (int i = 0; i < 400; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

class CaptureTest : public ::testing::Test {
  protected:
    void deliver(int buffers) {
        const std::vector<std::int16_t> silence(kCaptureBufferSamples);
        for (int b = 0; b < buffers; ++b) ASSERT_TRUE(device_.deliver(silence));
    }

    ModemState state_;
    RecordingLogger logger_;
    RecordingUi ui_;
    NoSaveTextFile text_;
    SleepingClock clock_;
    FakeCaptureDevice device_;
    ReceiveChain chain_{state_, logger_, ui_, text_};
    Capture capture_{state_, chain_, device_, ui_, clock_};
};

TEST_F(CaptureTest, WhileAFilePlaysOrThePauseRunsBuffersKeepCirculatingAndTheWatchdogStaysQuiet) {
    state_.rxDeviceId = 4;
    state_.RXChannel = 0;
    ASSERT_EQ(openCapture(capture_), 0);
    EXPECT_EQ(device_.journal().front(), "open 4 1");
    EXPECT_EQ(device_.journal().back(), "start");
    EXPECT_EQ(state_.captureState, kCapturing);
    for (const auto& [wav, pause] : {std::pair{1, 0}, std::pair{0, 2}}) {
        state_.wavPlaying = wav;
        state_.pauseState = pause;
        // Twice round the ring, spread over more than the watchdog's patience.
        for (int b = 0; b < 128; ++b) {
            deliver(1);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_TRUE(device_.holds(kCaptureBuffers));
        EXPECT_EQ(state_.captureState, kCapturing);
    }
    EXPECT_TRUE(ui_.messageBoxes().empty());
}

TEST_F(CaptureTest, AVanishedInputIsReopenedWithTheSoundOutputOneBoxPerFailedAttempt) {
    state_.rxDeviceId = 2;
    state_.RXChannel = 2;
    ASSERT_EQ(openCapture(capture_), 0);
    deliver(10);
    // Nothing more arrives: after 36 empty polls the input counts as dead.
    ASSERT_TRUE(within2s([&] { return state_.captureState == kReopenRequest; }));
    EXPECT_EQ(state_.txSoundState, kReopenRequest);

    device_.clearJournal();
    // The device has gone: every step of the close fails, and so does each reopen.
    device_.setFailing({"stop", "reset", "unprepare", "close", "open"});
    std::thread supervisor([&] { captureSupervisor(capture_); });
    ASSERT_TRUE(within2s([&] { return ui_.messageBoxes().size() >= 3; }));
    EXPECT_EQ(ui_.messageBoxes()[0], (UiMessageBox{"error 32", "Kestrel Error", kMbTopMost}));
    device_.setFailing({});
    ASSERT_TRUE(within2s([&] { return state_.captureState == kCapturing; }));
    capture_.stopRequested = true;
    supervisor.join();
    // One box for the whole close, then one for each open that failed.
    const auto opens = std::ranges::count(device_.journal(), std::string("open 2 2"));
    EXPECT_EQ(ui_.messageBoxes().size(), static_cast<std::size_t>(opens));

    // The close in its order, then only open attempts until one succeeds.
    std::vector<std::string> journal = device_.journal();
    std::vector<std::string> expected = {"stop", "reset"};
    for (int i = 0; i < kCaptureBuffers; ++i) expected.push_back("unprepare " + std::to_string(i));
    expected.push_back("close");
    ASSERT_GT(journal.size(), expected.size());
    EXPECT_EQ(std::vector(journal.begin(), journal.begin() + expected.size()), expected);
    journal.erase(journal.begin(), journal.begin() + expected.size());
    while (journal.front() == "open 2 2") journal.erase(journal.begin());
    EXPECT_EQ(journal.front(), "prepare 0");
    EXPECT_EQ(journal.back(), "start");
    // The reopened device feeds a new receive thread, which hands its buffers back.
    deliver(kCaptureBuffers * 2);
    EXPECT_TRUE(device_.holds(kCaptureBuffers));
}

}  // namespace
}  // namespace kestrel
