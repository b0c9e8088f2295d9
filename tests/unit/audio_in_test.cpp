#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/status_texts.h"
#include "audio_in/capture.h"
#include "audio_in/wav_file.h"
#include "audio_in/wav_player.h"
#include "fakes/fakes.h"
#include "unit/scratch_folder.h"

namespace kestrel {
namespace {

using Bytes = std::vector<std::uint8_t>;

void appendLE(Bytes& b, std::uint32_t v, int bytes) {
    for (int k = 0; k < bytes; ++k) b.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}

// A chunk: its id, its size, its body and, after an odd body, the pad byte.
Bytes chunk(const char* id, const Bytes& body) {
    Bytes c(id, id + 4);
    appendLE(c, static_cast<std::uint32_t>(body.size()), 4);
    c.insert(c.end(), body.begin(), body.end());
    if (body.size() % 2) c.push_back(0);
    return c;
}

Bytes formatBody(std::uint16_t format, std::uint16_t channels, std::uint32_t rate,
                 std::uint16_t bits, std::size_t extra = 0) {
    Bytes f;
    for (const auto& [value, bytes] : {std::pair<std::uint32_t, int>{format, 2},
                                       {channels, 2},
                                       {rate, 4},
                                       {rate * channels * bits / 8, 4},
                                       {channels * bits / 8, 2},
                                       {bits, 2}})
        appendLE(f, value, bytes);
    f.resize(f.size() + extra, 0);
    return f;
}

Bytes samplesBody(const std::vector<std::int16_t>& samples) {
    Bytes d;
    for (const std::int16_t s : samples) appendLE(d, static_cast<std::uint16_t>(s), 2);
    return d;
}

Bytes riff(const std::vector<Bytes>& chunks) {
    Bytes body{'W', 'A', 'V', 'E'};
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    return chunk("RIFF", body);
}

Bytes monoFile(std::uint32_t rate, const std::vector<std::int16_t>& samples) {
    return riff({chunk("fmt ", formatBody(1, 1, rate, 16)), chunk("data", samplesBody(samples))});
}

// b with `bytes` bytes of value written at `at`, lowest first.
Bytes patched(Bytes b, std::size_t at, std::uint32_t value, int bytes = 1) {
    for (int k = 0; k < bytes; ++k) b[at + k] = static_cast<std::uint8_t>(value >> (8 * k));
    return b;
}

// The file samples that reach processSample when a file that must be playable plays.
std::vector<double> play(Bytes bytes) {
    WavToPlay file;
    file.source = std::make_unique<MemoryByteSource>(std::move(bytes));
    EXPECT_EQ(inspectWav(*file.source, file.layout), WavVerdict::playable);
    ModemState state;
    state.sampleRate = 12000;
    state.wavPlaying = 1;
    std::vector<double> got;
    wavPlayer(
        file, state, [&](double x) { got.push_back(x * kWavSampleScale); }, [](char16_t) {});
    return got;
}

TEST(WavWrite, AFileThatCannotBeOpenedOrWrittenShowsItsMessage) {
    const ScratchFolder dir;
    const std::vector<std::int16_t> samples(100000, 7);
    for (const auto& [path, message] :
         {std::pair{dir.path() / "missing" / "x.wav", "Files 258 Failed to open save Wav file"},
          {std::filesystem::path("/dev/full"), "saveWav write errorfiles 275"}}) {
        RecordingUi ui;
        EXPECT_FALSE(writeWavFile(path, samples, ui));
        EXPECT_EQ(ui.messageBoxes(), (Boxes{{message, "", kMbTopMost}}));
    }
}

// Each damage gets its verdict; the data is found past other chunks (one of odd size, with
// its pad byte) and whatever size the RIFF header gives, and plays whole.
TEST(WavCheck, EachDamageGetsItsVerdictAndDataIsFoundPastOtherChunks) {
    const Bytes good = monoFile(8000, {1, 2});
    const auto cut = [](const Bytes& b, std::size_t size) {
        return Bytes(b.begin(), b.begin() + size);
    };
    const auto withFormat = [](const Bytes& fmt) {
        return riff({chunk("fmt ", fmt), chunk("data", Bytes(8))});
    };
    // Extensible format: cbSize 22, valid bits, channel mask, then the sub-format GUID.
    const Bytes extensible = patched(patched(formatBody(0xFFFE, 1, 12000, 16, 24), 16, 22), 24, 1);
    const struct {
        const char* what;
        Bytes bytes;
        WavVerdict verdict;
        std::vector<double> played = {};
    } cases[] = {
        {"good", good, WavVerdict::playable},
        {"RIFX", patched(good, 3, 'X'), WavVerdict::notWav},
        {"WAVX", patched(good, 11, 'X'), WavVerdict::notWav},
        {"5 bytes", cut(good, 5), WavVerdict::notWav},
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
        {"extensible float", withFormat(patched(extensible, 24, 3)), WavVerdict::notPcm16},
        {"short format", withFormat(cut(formatBody(1, 1, 8000, 16), 14)), WavVerdict::noData},
        {"empty format last", riff({chunk("fmt ", Bytes{})}), WavVerdict::noData},
        {"no data", riff({chunk("fmt ", formatBody(1, 1, 8000, 16))}), WavVerdict::noData},
        {"cut in format", cut(good, 30), WavVerdict::noData},
        {"cut in data header", cut(good, 40), WavVerdict::noData},
        {"cut after header", cut(good, 44), WavVerdict::noData},
        {"no samples", monoFile(8000, {}), WavVerdict::noData},
        {"odd LIST, 18-byte format",
         riff({chunk("LIST", Bytes{'I', 'N', 'F', 'O', 'x'}),
               chunk("fmt ", formatBody(1, 1, 12000, 16, 2)),
               chunk("data", samplesBody({5, -6, 7}))}),
         WavVerdict::playable,
         {5, -6, 7}},
        {"RIFF size too small",
         patched(monoFile(12000, {1, 2, 3}), 4, 4),
         WavVerdict::playable,
         {1, 2, 3}},
    };
    for (const auto& c : cases) {
        MemoryByteSource source(c.bytes);
        WavLayout layout;
        EXPECT_EQ(inspectWav(source, layout), c.verdict) << c.what;
        EXPECT_TRUE(c.played.empty() || play(c.bytes) == c.played) << c.what;
    }
}

struct CaptureTest : ::testing::Test {
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
    StatusTexts statusTexts_{ui_, logger_};
    ReceiveChain chain_{state_, logger_, statusTexts_, text_};
    Capture capture_{state_, chain_, device_, ui_, clock_};
};

TEST_F(CaptureTest, WhileAFilePlaysOrThePauseRunsBuffersKeepCirculatingAndTheWatchdogStaysQuiet) {
    state_.rxDeviceId = 4;
    state_.RXChannel = 0;
    ASSERT_EQ(capture_.open(), 0);
    EXPECT_EQ(device_.journal().front(), "open 4 1");
    EXPECT_EQ(device_.journal().back(), "start");
    EXPECT_EQ(state_.captureState, kCapturing);
    for (const auto& [wav, pause] : {std::pair{1, 0}, std::pair{0, 2}}) {
        state_.wavPlaying = wav;
        state_.pauseState = pause;
        // Twice round the ring, spread over more than the watchdog's patience.
        for (int b = 0; b < 2 * kCaptureBuffers; b += 8) {
            deliver(8);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_TRUE(device_.holds(kCaptureBuffers));
        EXPECT_EQ(state_.captureState, kCapturing);
    }
    EXPECT_TRUE(ui_.messageBoxes().empty());
}

// Seconds until the watchdog asks for a reopen, at most eight.
double secondsUntilReopen(const ModemState& state) {
    const auto began = std::chrono::steady_clock::now();
    while (state.captureState != kReopenRequest &&
           std::chrono::steady_clock::now() - began < std::chrono::seconds(8))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
}

// Buffers that stop coming from a device whose position still moves: it is only late (a
// busy machine keeps its driver's thread waiting), and is found dead only after three
// seconds, not after the one a device whose position stands still gets (below).
TEST_F(CaptureTest, TheWatchdogFindsALateInputDeadOnlyAfterThreeSeconds) {
    ASSERT_EQ(capture_.open(), 0);
    std::atomic<bool> recording{true};
    std::thread device([&] {
        while (recording) {
            device_.position += 128;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    deliver(1);
    const double late = secondsUntilReopen(state_);
    recording = false;
    device.join();
    EXPECT_GT(late, 2.9);
    EXPECT_LT(late, 6.0);
}

// A dead input (its position stands still) is found after a second; found during a
// transmission, its reopen, which reopens the sound output too, waits for the end.
TEST_F(CaptureTest, AReopenForADeadInputWaitsForTheTransmissionToEnd) {
    state_.txSoundState = kSoundReady;
    state_.txState = kTxSending;
    ASSERT_EQ(capture_.open(), 0);
    std::thread supervisor([this] { capture_.supervise(); });
    // Once round the queue and one more: a slot read and not freed would be read forever.
    deliver(kCaptureBuffers + 1);
    ASSERT_TRUE(device_.holds(kCaptureBuffers));
    const double dead = secondsUntilReopen(state_);
    EXPECT_GT(dead, 0.9);  // a stall of a busy machine is waited out
    EXPECT_LT(dead, 2.0);  // asked for a reopen, not given up waiting
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(state_.txSoundState, kSoundReady);
    EXPECT_EQ(std::ranges::count(device_.journal(), std::string("close")), 0);

    state_.txState = kTxIdle;
    const auto reopened = [this] {
        return std::ranges::count(device_.journal(), std::string("close")) == 1 &&
               device_.journal().back() == "start";
    };
    EXPECT_TRUE(eventually(reopened));
    EXPECT_EQ(state_.txSoundState, kReopenRequest);
    capture_.requestStop();
    supervisor.join();
}

// A device that has gone fails every step of the close: each is still taken, and one box
// shows the first failure.
TEST_F(CaptureTest, AFailingCloseTakesEveryStepAndShowsOnlyTheFirstError) {
    ASSERT_EQ(capture_.open(), 0);
    device_.failing = {"stop", "reset", "unprepare", "close"};
    capture_.close();
    EXPECT_EQ(ui_.messageBoxes(), (Boxes{{"error 32", "Kestrel Error", kMbTopMost}}));
    const auto journal = device_.journal();
    EXPECT_EQ(std::ranges::count_if(journal, [](auto& s) { return s.starts_with("unprepare"); }),
              kCaptureBuffers);
    EXPECT_EQ(journal.back(), "close");
}

}  // namespace
}  // namespace kestrel
