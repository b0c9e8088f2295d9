#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "audio_in/contact_datagram.h"
#include "audio_in/contact_listener.h"
#include "audio_in/contact_recorder.h"
#include "audio_in/wav_file.h"
#include "fakes/fakes.h"
#include "text/ui_ids.h"
#include "unit/scratch_folder.h"

namespace kestrel {
namespace {

// A contact as N1MM Logger+ announces it, trimmed of tags Kestrel does not read; a tag
// named in `omit` is left out.
std::string contactInfo(std::string call, std::string radio = "1", std::string run = "1",
                        std::string timestamp = "2024-07-15 12:34:56", std::string omit = "") {
    const std::vector<std::pair<std::string, std::string>> tags{
        {"app", "N1MM"},         {"contestname", "CQ-WW-RTTY"},
        {"contestnr", "73"},     {"timestamp", timestamp},
        {"mycall", "XX1XX"},     {"band", "14"},
        {"rxfreq", "1408512"},   {"mode", "RTTY"},
        {"call", call},          {"snt", "599"},
        {"radionr", radio},      {"IsRunQSO", run},
        {"StationName", "SHACK"}};
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<contactinfo>\r\n";
    for (const auto& [tag, value] : tags)
        if (tag != omit) xml += "\t<" + tag + ">" + value + "</" + tag + ">\r\n";
    return xml + "</contactinfo>\r\n";
}

constexpr std::int64_t kExampleSecond = 1721046896;  // 2024-07-15 12:34:56 UTC

TEST(ContactDatagram, ADatagramLackingAValueOrWithABadOneIsNoContact) {
    const std::pair<const char*, std::string> cases[] = {
        {"no <radionr>", contactInfo("XX9XX", "1", "1", "2024-07-15 12:34:56", "radionr")},
        {"empty call", contactInfo("")},
        {"value never closed",
         "<timestamp>2024-07-15 12:34:56<band>14<call>XX9XX<radionr>1"
         "<IsRunQSO>1<contestname>X<mycall>X<mode>RTTY"},
        {"day first", contactInfo("XX9XX", "1", "1", "15-07-2024 12:34:56")},
        {"30 February", contactInfo("XX9XX", "1", "1", "2024-02-30 12:34:56")},
        {"fractions", contactInfo("XX9XX", "1", "1", "2024-07-15 12:34:56.5")},
        {"radio not a number", contactInfo("XX9XX", "one")},
    };
    for (const auto& [what, datagram] : cases) EXPECT_FALSE(parseContactDatagram(datagram)) << what;
    // The run flag: 1 or more is a RUN contact, 0 one found searching and pouncing.
    for (const char* run : {"0", "1", "3"})
        EXPECT_EQ(parseContactDatagram(contactInfo("XX9XX", "1", run))->run, *run != '0') << run;
}

struct ContactRecorderTest : ::testing::Test {
    Booking book(std::string call, std::int64_t now, std::string stamp = "2024-07-15 12:34:56",
                 std::string run = "1") {
        return recorder.book(*parseContactDatagram(contactInfo(call, "1", run, stamp)), setup, now);
    }
    // A second of capture (48000 samples/s) whose samples all hold value.
    void captureSecond(std::int16_t value) {
        recorder.storeCapture(std::vector<std::int16_t>(48000, value), 0);
    }
    bool fired(std::int64_t second) { return recorder.triggerCheck(second), eventually(idle); }
    bool saved(std::string_view name) { return std::filesystem::exists(folder.file(name)); }
    // The samples of a recording, which plays as a file of 8000 samples/s behind a 44-byte
    // header.
    std::vector<std::int16_t> recording(std::string_view name) {
        WavToPlay file;
        if (openWavToPlay(folder.file(name), file) != nullptr) return {};
        EXPECT_EQ(file.layout.sampleRate, 8000);
        EXPECT_EQ(file.layout.dataOffset, 44u);
        std::vector<std::uint8_t> bytes(2 * file.layout.sampleCount);
        file.source->readAt(file.layout.dataOffset, bytes);
        std::vector<std::int16_t> samples;
        for (std::size_t k = 0; k < bytes.size(); k += 2)
            samples.push_back(static_cast<std::int16_t>(bytes[k] | bytes[k + 1] << 8));
        return samples;
    }
    ScratchFolder folder;
    RecordingUi ui;
    ContactRecorder recorder{ui};
    const std::function<bool()> idle = [this] { return recorder.idle(); };
    const RecordingSetup setup{{}, folder.path().string() + "/"};  // RUN 10 + 1 s, SnP 10 + 10 s
};

// A RUN contact logged at 12:34:56 with 10 s before and 1 s after is saved at 12:34:57:
// 11 s, 88,000 samples at 8000 samples/s, from 12:34:46 to the end of 12:34:56, scaled
// to the recording peak.
TEST_F(ContactRecorderTest, SavesTheStretchAroundTheContactWhenItsSecondComes) {
    const auto value = [](std::int64_t second) {
        return static_cast<std::int16_t>(100 + second - kExampleSecond);
    };
    for (std::int64_t s = kExampleSecond - 30; s <= kExampleSecond; ++s) {
        recorder.triggerCheck(s);
        captureSecond(value(s));
    }
    ASSERT_EQ(book("XX9XX", kExampleSecond), Booking::booked);
    recorder.triggerCheck(kExampleSecond);  // its second again: not yet
    ASSERT_TRUE(!recorder.idle() && !saved("20240715_123456Z 14 XX9XX.wav"));
    ASSERT_TRUE(fired(kExampleSecond + 1));
    const std::vector<std::int16_t> run = recording("20240715_123456Z 14 XX9XX.wav");
    ASSERT_EQ(run.size(), 88000u);
    const int gain = 23170 / 100;  // the peak: the sample of 12:34:56
    for (int k = 0; k < 11; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(run[8000 * k], value(kExampleSecond - 10 + k) * gain);
        EXPECT_EQ(run[8000 * k + 7999], value(kExampleSecond - 10 + k) * gain);
    }
    EXPECT_TRUE(ui.messageBoxes().empty());
}

TEST_F(ContactRecorderTest, SlotsAreNeverLostAndNeverOverflow) {
    // Ten contacts take the ten slots; the eleventh is refused.
    for (int k = 0; k < 10; ++k)
        ASSERT_EQ(book("C" + std::to_string(k), kExampleSecond), Booking::booked);
    EXPECT_EQ(book("C10", kExampleSecond), Booking::noFreeSlot);
    // Their second was missed by 20 s: the ring still holds them, so they are saved.
    ASSERT_TRUE(fired(kExampleSecond + 21));
    EXPECT_TRUE(saved("20240715_123456Z 14 C9.wav"));

    // Missed by 60 s (more than 70 s less the 11 saved): freed, nothing written.
    ASSERT_EQ(book("LATE", kExampleSecond + 60, "2024-07-15 12:35:56"), Booking::booked);
    EXPECT_TRUE(fired(kExampleSecond + 61 + 60));
    EXPECT_FALSE(saved("20240715_123556Z 14 LATE.wav"));

    // Logged in the last second of January with 1 s after: saved on 1 February.
    constexpr std::int64_t kFebruary = 1706745600;  // 2024-02-01 00:00:00 UTC
    ASSERT_EQ(book("EOM", kFebruary - 1, "2024-01-31 23:59:59"), Booking::booked);
    ASSERT_TRUE(fired(kFebruary));
    EXPECT_TRUE(saved("20240131_235959Z 14 EOM.wav"));

    // A contact already out of the ring, or far in the future, takes no slot.
    EXPECT_EQ(book("OLD", kExampleSecond, "2024-07-15 11:00:00"), Booking::outOfTime);
    EXPECT_EQ(book("NEW", kExampleSecond, "2024-07-15 14:00:00"), Booking::outOfTime);
    EXPECT_TRUE(recorder.idle());
}

TEST_F(ContactRecorderTest, GainNeverSilencesOrWrapsTheRecording) {
    for (const auto& [peak, gain] : {std::pair{0, 1}, {1, 23170}, {23171, 1}, {32767, 1}})
        EXPECT_EQ(recordingGain(peak), gain) << peak;
    // A loud burst before the last fired slot reset the peak: the quiet peak's gain
    // clips the burst at full scale instead of wrapping it around.
    captureSecond(-30000);
    ASSERT_EQ(book("A", kExampleSecond, "2024-07-15 12:34:55"), Booking::booked);
    recorder.triggerCheck(kExampleSecond);
    captureSecond(100);
    ASSERT_EQ(book("B", kExampleSecond), Booking::booked);
    ASSERT_TRUE(fired(kExampleSecond + 1));
    const auto saved = recording("20240715_123456Z 14 B.wav");
    ASSERT_EQ(saved.size(), 88000u);
    EXPECT_EQ(saved[72000], -32768);
    EXPECT_EQ(saved[79999], -32768);
    EXPECT_EQ(saved[80000], 23100);
}

// Kestrel of digital interface 2, recording armed, its listener on a thread of its own
// until stopped or disarmed.
struct Listening {
    void start(RecordingSetup setup = {}) {
        state.saveWavActive = 1;
        state.diNumber = 2;
        thread = std::thread([this, setup] {
            contactListener({state, udp, ui, recorder, [] { return kExampleSecond; }}, setup, stop);
        });
    }
    ~Listening() {
        stop = true;
        if (thread.joinable()) thread.join();
    }
    ModemState state;
    RecordingUi ui;
    FakeUdpPort udp;
    ContactRecorder recorder{ui};
    std::atomic<bool> stop{false};
    std::thread thread;
};

// The listener's socket steps, each failing in turn: the message, and whether recording
// stays armed.
TEST(ContactListener, WinsockFailuresAreShownAndDisarmWhereNothingCanBeHeard) {
    const struct {
        void (*fail)(FakeUdpPort&);
        std::string message;
        bool armed;
    } cases[] = {
        {[](FakeUdpPort& u) { u.startupError = 10091; },
         "WSAStartup failed N1MM Proc 45 .WAV save failed", false},
        {[](FakeUdpPort& u) { u.socketOpens = false; }, kSocketFailed, false},
        {[](FakeUdpPort& u) { u.reuseResult = SocketCall(-1, 10042); },
         "-1, 10042  setsocket error code 68", true},
        {[](FakeUdpPort& u) { u.bindResult = SocketCall(-1, 10048); },
         "-1, 10048  Bind failed N1MM Proc 83 .WAV save failed", false},
        {[](FakeUdpPort& u) { u.failNextReceive(10054); },
         "-1, 10054  Recvfrom failed N1MM Proc 100 .WAV save failed", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Listening l;
        c.fail(l.udp);
        l.start();
        eventually([&] { return !l.ui.messageBoxes().empty(); });
        EXPECT_EQ(l.state.saveWavActive == 1, c.armed);
        l.stop = true;
        l.thread.join();
        EXPECT_EQ(l.ui.messageBoxes(), (Boxes{{c.message, "Kestrel Error", kMbTopMost}}));
        EXPECT_EQ(l.ui.menuChecks().back(), (UiItemFlag{IDM_SAVE_WAV, false}));
        // Winsock started is Winsock cleaned up, whatever failed after.
        const auto journal = l.udp.journal();
        EXPECT_EQ(std::count(journal.begin(), journal.end(), "cleanup"), l.udp.startupError == 0);
        if (c.armed) {
            EXPECT_EQ(journal[3], "bind 12062");
        }
    }
}

// Which contacts a listener books is wine.kestrel_recording's; a full table shows in the
// status bar, a socket that will not close says so, and a datagram longer than any contact
// is none, even where it starts as one.
TEST(ContactListener, AFullTableAndASocketThatWillNotCloseAreShown) {
    Listening l;
    l.udp.closes = false;
    const auto listenTo = [&l](const std::string& first, std::size_t contacts) {
        l.start();
        l.udp.deliver(first);
        for (std::size_t k = 0; k < contacts; ++k)
            l.udp.deliver(contactInfo("C" + std::to_string(k), "2"));
        eventually([&] { return l.udp.drained(); });
        l.state.saveWavActive = 0;  // disarmed from the menu
        l.thread.join();
    };
    listenTo(contactInfo("LONG", "2") + std::string(kMaxDatagramBytes, ' '), kRecordingSlotCount);
    EXPECT_EQ(l.ui.statusText(kNoticeStatusPart), std::nullopt);
    listenTo(contactInfo("FULL", "2"), 0);
    EXPECT_EQ(l.ui.statusText(kNoticeStatusPart), bookingMessage(Booking::noFreeSlot));
    EXPECT_EQ(l.ui.messageBoxes(), Boxes(2, {kCloseFailed, "Kestrel Error", kMbOk}));
}

}  // namespace
}  // namespace kestrel
