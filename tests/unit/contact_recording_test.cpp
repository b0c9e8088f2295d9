#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/ui_ids.h"
#include "audio_in/contact_datagram.h"
#include "audio_in/contact_listener.h"
#include "audio_in/contact_recorder.h"
#include "audio_in/wav_file.h"
#include "fakes/fakes.h"
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
    for (const auto& [tag, value] : tags) {
        if (tag != omit) xml += "\t<" + tag + ">" + value + "</" + tag + ">\r\n";
    }
    return xml + "</contactinfo>\r\n";
}

std::int64_t utc(int y, unsigned mo, unsigned d, int h, int mi, int s) {
    using namespace std::chrono;
    const sys_days day = year(y) / month(mo) / d;
    return (day.time_since_epoch() + hours(h) + minutes(mi) + seconds(s)).count();
}

const std::int64_t kExampleSecond = utc(2024, 7, 15, 12, 34, 56);

std::string fileNameOf(std::string_view datagram) {
    const auto contact = parseContactDatagram(datagram);
    return contact ? recordingPath("", *contact) : "(none)";
}

TEST(ContactDatagram, NamesTheFileOrIsNoContact) {
    std::string oversize = contactInfo("XX9XX");
    oversize.insert(oversize.find("<app>"), std::string(2049 - oversize.size(), ' '));
    const struct {
        const char* what;
        std::string datagram;
        std::string name;
    } cases[] = {
        {"the example", contactInfo("XX9XX"), "20240715_123456Z 14 XX9XX.wav"},
        {"portable call", contactInfo("XX9XX/P"), "20240715_123456Z 14 XX9XX-P.wav"},
        {"no <mode>", contactInfo("XX9XX", "1", "1", "2024-07-15 12:34:56", "mode"), "(none)"},
        {"no <radionr>", contactInfo("XX9XX", "1", "1", "2024-07-15 12:34:56", "radionr"),
         "(none)"},
        {"empty call", contactInfo(""), "(none)"},
        {"value never closed",
         "<timestamp>2024-07-15 12:34:56<band>14<call>XX9XX<radionr>1"
         "<IsRunQSO>1<contestname>X<mycall>X<mode>RTTY",
         "(none)"},
        {"2049 bytes", oversize, "(none)"},
        {"day first", contactInfo("XX9XX", "1", "1", "15-07-2024 12:34:56"), "(none)"},
        {"30 February", contactInfo("XX9XX", "1", "1", "2024-02-30 12:34:56"), "(none)"},
        {"fractions", contactInfo("XX9XX", "1", "1", "2024-07-15 12:34:56.5"), "(none)"},
        {"radio not a number", contactInfo("XX9XX", "one"), "(none)"},
        {"climbing out", contactInfo("..\\..\\X"), "20240715_123456Z 14 ----X.wav"},
        {"drive and wildcards", contactInfo("A:B*C?"), "20240715_123456Z 14 A-B-C-.wav"},
        {"controls and quotes", contactInfo("A\x01\"|>B"), "20240715_123456Z 14 A----B.wav"},
        {"300 characters", contactInfo(std::string(300, 'W')),
         "20240715_123456Z 14 " + std::string(38, 'W') + ".wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(fileNameOf(c.datagram), c.name);
    }
    EXPECT_EQ(rewriteTimestamp("2024-07-15 12:34:56"), "20240715_123456Z");
    const auto snp = parseContactDatagram(contactInfo("XX9XX", "3", "0"));
    ASSERT_TRUE(snp);
    EXPECT_EQ(snp->radioNumber, 3);
    EXPECT_FALSE(snp->run);
    EXPECT_EQ(snp->contactSecond, kExampleSecond);
    EXPECT_TRUE(parseContactDatagram(contactInfo("XX9XX", "1", "2"))->run);
}

// Seconds of mono capture whose samples tell which second they belong to.
void captureSecond(ContactRecorder& recorder, std::int16_t value) {
    const std::vector<std::int16_t> buffer(48000, value);
    recorder.storeCapture(buffer, 0);
}

bool awaitIdle(const ContactRecorder& recorder) {
    for (int k = 0; k < 5000 && !recorder.idle(); ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return recorder.idle();
}

std::vector<std::int16_t> readRecording(const std::string& path, std::int32_t& rate) {
    WavToPlay file;
    if (openWavToPlay(path, file) != nullptr) return {};
    rate = file.layout.sampleRate;
    std::vector<std::uint8_t> bytes(2 * file.layout.sampleCount);
    file.source->readAt(file.layout.dataOffset, bytes);
    std::vector<std::int16_t> samples(file.layout.sampleCount);
    for (std::size_t k = 0; k < samples.size(); ++k)
        samples[k] = static_cast<std::int16_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8));
    return samples;
}

// A RUN contact logged at 12:34:56 with 10 s before and 1 s after is saved at 12:34:57:
// 11 s, 88,000 samples at 8000 samples/s, from 12:34:46 to the end of 12:34:56, scaled
// to the recording peak.
TEST(ContactRecorder, SavesTheStretchAroundTheContactWhenItsSecondComes) {
    ScratchFolder folder;
    RecordingUi ui;
    ContactRecorder recorder(ui);
    const RecordingSetup setup{{10, 1, 10, 10}, folder.path().string() + "/"};
    const std::string path = folder.file("20240715_123456Z 14 XX9XX.wav");
    const auto value = [](std::int64_t second) {
        return static_cast<std::int16_t>(100 + second - kExampleSecond);
    };
    for (std::int64_t s = kExampleSecond - 30; s <= kExampleSecond; ++s) {
        recorder.triggerCheck(s);
        captureSecond(recorder, value(s));
    }
    const auto contact = parseContactDatagram(contactInfo("XX9XX"));
    ASSERT_EQ(recorder.book(*contact, setup, kExampleSecond), Booking::booked);
    recorder.triggerCheck(kExampleSecond);  // its second again: not yet
    ASSERT_TRUE(!recorder.idle() && !std::filesystem::exists(path));

    recorder.triggerCheck(kExampleSecond + 1);
    ASSERT_TRUE(awaitIdle(recorder));
    std::int32_t rate = 0;
    const std::vector<std::int16_t> saved = readRecording(path, rate);
    EXPECT_EQ(rate, 8000);
    ASSERT_EQ(saved.size(), 88000u);
    const int gain = 23170 / 100;  // the peak: the sample of 12:34:56
    for (int k = 0; k < 11; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(saved[8000 * k], value(kExampleSecond - 10 + k) * gain);
        EXPECT_EQ(saved[8000 * k + 7999], value(kExampleSecond - 10 + k) * gain);
    }
    EXPECT_TRUE(ui.messageBoxes().empty());
}

TEST(ContactRecorder, SlotsAreNeverLostAndNeverOverflow) {
    ScratchFolder folder;
    RecordingUi ui;
    ContactRecorder recorder(ui);
    const RecordingSetup setup{{10, 1, 10, 10}, folder.path().string() + "/"};
    const auto book = [&](std::string call, std::string stamp, std::int64_t now) {
        const auto contact = parseContactDatagram(contactInfo(call, "1", "1", stamp));
        return recorder.book(*contact, setup, now);
    };
    const auto saved = [&](std::string name) { return std::filesystem::exists(folder.file(name)); };

    // Ten contacts take the ten slots; the eleventh is refused, and the status bar says so.
    for (int k = 0; k < 10; ++k)
        ASSERT_EQ(book("C" + std::to_string(k), "2024-07-15 12:34:56", kExampleSecond),
                  Booking::booked);
    EXPECT_EQ(book("C10", "2024-07-15 12:34:56", kExampleSecond), Booking::noFreeSlot);
    EXPECT_NE(bookingMessage(Booking::noFreeSlot), nullptr);
    // Their second was missed by 20 s: the ring still holds them, so they are saved.
    recorder.triggerCheck(kExampleSecond + 21);
    ASSERT_TRUE(awaitIdle(recorder));
    EXPECT_TRUE(saved("20240715_123456Z 14 C9.wav"));

    // Missed by 60 s (more than 70 s less the 11 saved): freed, nothing written.
    ASSERT_EQ(book("LATE", "2024-07-15 12:35:56", kExampleSecond + 60), Booking::booked);
    recorder.triggerCheck(kExampleSecond + 61 + 60);
    EXPECT_TRUE(awaitIdle(recorder));
    EXPECT_FALSE(saved("20240715_123556Z 14 LATE.wav"));

    // Logged in the last second of January with 1 s after: saved on 1 February.
    const std::int64_t newMonth = utc(2024, 2, 1, 0, 0, 0);
    ASSERT_EQ(book("EOM", "2024-01-31 23:59:59", newMonth - 1), Booking::booked);
    recorder.triggerCheck(newMonth);
    ASSERT_TRUE(awaitIdle(recorder));
    EXPECT_TRUE(saved("20240131_235959Z 14 EOM.wav"));

    // A contact already out of the ring, or far in the future, takes no slot.
    EXPECT_EQ(book("OLD", "2024-07-15 11:00:00", kExampleSecond), Booking::outOfTime);
    EXPECT_EQ(book("NEW", "2024-07-15 14:00:00", kExampleSecond), Booking::outOfTime);
    EXPECT_TRUE(recorder.idle());
}

TEST(ContactRecorder, GainNeverSilencesOrWrapsTheRecording) {
    const struct {
        int peak, gain;
    } cases[] = {{0, 1}, {1, 23170}, {100, 231}, {23170, 1}, {23171, 1}, {32767, 1}};
    for (const auto& c : cases) EXPECT_EQ(recordingGain(c.peak), c.gain) << c.peak;

    // A loud burst before the last fired slot reset the peak: the quiet peak's gain
    // clips the burst at full scale instead of wrapping it around.
    ScratchFolder folder;
    RecordingUi ui;
    ContactRecorder recorder(ui);
    const RecordingSetup setup{{10, 1, 10, 10}, folder.path().string() + "/"};
    const auto a = parseContactDatagram(contactInfo("A", "1", "1", "2024-07-15 12:34:55"));
    const auto b = parseContactDatagram(contactInfo("B"));
    captureSecond(recorder, -30000);
    ASSERT_EQ(recorder.book(*a, setup, kExampleSecond), Booking::booked);
    recorder.triggerCheck(kExampleSecond);
    captureSecond(recorder, 100);
    ASSERT_EQ(recorder.book(*b, setup, kExampleSecond), Booking::booked);
    recorder.triggerCheck(kExampleSecond + 1);
    ASSERT_TRUE(awaitIdle(recorder));
    std::int32_t rate = 0;
    const auto saved = readRecording(folder.file("20240715_123456Z 14 B.wav"), rate);
    ASSERT_EQ(saved.size(), 88000u);
    EXPECT_EQ(saved[72000], -32768);
    EXPECT_EQ(saved[79999], -32768);
    EXPECT_EQ(saved[80000], 23100);
}

// The listener's socket steps, each failing in turn: the message, and whether recording
// stays armed.
TEST(ContactListener, WinsockFailuresAreShownAndDisarmWhereNothingCanBeHeard) {
    const struct {
        const char* what;
        void (*fail)(FakeUdpPort&);
        std::string message;
        unsigned flags;
        bool armed;
    } cases[] = {
        {"startup", [](FakeUdpPort& u) { u.startupError = 10091; },
         "WSAStartup failed N1MM Proc 45 .WAV save failed", kMbTopMost, false},
        {"socket", [](FakeUdpPort& u) { u.socketOpens = false; }, kSocketFailed, kMbTopMost, false},
        {"reuse",
         [](FakeUdpPort& u) {
             u.reuseResult = {-1, 10042};
         },
         "-1, 10042  setsocket error code 68", kMbTopMost, true},
        {"bind",
         [](FakeUdpPort& u) {
             u.bindResult = {-1, 10048};
         },
         "-1, 10048  Bind failed N1MM Proc 83 .WAV save failed", kMbTopMost, false},
        {"receive", [](FakeUdpPort& u) { u.failNextReceive(10054); },
         "-1, 10054  Recvfrom failed N1MM Proc 100 .WAV save failed", kMbTopMost, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ModemState state;
        state.saveWavActive = 1;
        state.diNumber = 2;
        RecordingUi ui;
        FakeUdpPort udp;
        c.fail(udp);
        ContactRecorder recorder(ui);
        std::atomic<bool> stop{false};
        std::thread listener([&] {
            contactListener({state, udp, ui, recorder, [] { return kExampleSecond; }},
                            RecordingSetup{}, stop);
        });
        for (int k = 0; k < 2000 && ui.messageBoxes().empty(); ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(state.saveWavActive == 1, c.armed);
        stop = true;
        listener.join();
        ASSERT_EQ(ui.messageBoxes().size(), 1u);
        EXPECT_EQ(ui.messageBoxes()[0], (UiMessageBox{c.message, "Kestrel Error", c.flags}));
        EXPECT_EQ(ui.menuChecks().back(), (UiItemFlag{kMenuSaveWavFile, false}));
        if (c.armed) {
            EXPECT_EQ(udp.journal()[3], "bind 12062");
        }
    }
}

// Only contacts of this Kestrel's radio are booked; the rest are ignored quietly. A full
// table shows in the status bar.
TEST(ContactListener, BooksTheContactsOfItsOwnRadio) {
    ScratchFolder folder;
    ModemState state;
    state.saveWavActive = 1;
    state.diNumber = 2;
    RecordingUi ui;
    FakeUdpPort udp;
    udp.closes = false;
    ContactRecorder recorder(ui);
    std::atomic<bool> stop{false};
    std::thread listener([&] {
        contactListener({state, udp, ui, recorder, [] { return kExampleSecond; }},
                        RecordingSetup{{10, 1, 10, 10}, folder.path().string() + "/"}, stop);
    });
    udp.deliver(contactInfo("OTHER", "1"));
    udp.deliver(contactInfo("NOMODE", "2", "1", "2024-07-15 12:34:56", "mode"));
    for (int k = 0; k < 11; ++k) udp.deliver(contactInfo("C" + std::to_string(k), "2"));
    for (int k = 0; k < 5000 && !udp.drained(); ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    state.saveWavActive = 0;  // disarmed from the menu
    listener.join();
    EXPECT_EQ(ui.statusText(kRecordingStatusPart), bookingMessage(Booking::noFreeSlot));
    EXPECT_EQ(ui.messageBoxes(),
              (std::vector<UiMessageBox>{{kCloseFailed, "Kestrel Error", kMbOk}}));
    recorder.triggerCheck(kExampleSecond + 1);
    ASSERT_TRUE(awaitIdle(recorder));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names.size(), 10u);
    EXPECT_EQ(names.front(), "20240715_123456Z 14 C0.wav");
}

}  // namespace
}  // namespace kestrel
