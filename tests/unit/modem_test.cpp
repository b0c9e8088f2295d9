#include "modem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "audio_in/wav_file.h"
#include "fakes/fakes.h"
#include "platform/logger_codes.h"
#include "text/ui_ids.h"
#include "unit/scratch_folder.h"

namespace kestrel {

// What the tests look at inside the modem: its shared state and the transmitter.
struct ModemTestPeer {
    Modem& m;
    ModemState& state() { return m.state; }
    LoggerLink& link() { return m.link; }
    MenuCommands& menu() { return m.menu; }
    TxWindow& txWindow() { return m.txWindow; }
    TxBuffer& txBuffer() { return m.txBuffer; }
    SettingsDialogHooks settingsDialogHooks() { return m.settingsDialogHooks(); }
};

namespace {

struct ModemTest : ::testing::Test {
    static ModemTestPeer inside(Modem& modem) { return {modem}; }
    Modem& start(const CommandLine& line = {2, 0x1A2B3C}) {
        modem_.emplace(ports_, folder_.file("Kestrel.exe"), line);
        modem_->loadSettings();
        return *modem_;
    }
    std::string ini() const { return ScratchFolder::read(folder_.file("Kestrel.ini")); }
    void writeIni(std::string_view text) {
        ScratchFolder::write(folder_.file("Kestrel.ini"), text);
    }

    ScratchFolder folder_;
    RecordingLogger logger_;
    RecordingUi ui_;
    FakeMainWindow mainWindow_;
    FakeSharedBlock block_;
    FakeWindowTitles titles_;
    SleepingClock clock_;
    FakeAudioDevicesPort devices_{{"PulseAudio", "Line In"}, {"PulseAudio", "Speakers"}};
    NoSaveTextFile saveText_;
    FakeFileDialogs dialogs_;
    FakeDocumentViewer documents_;
    FakeSerialPorts serialPorts_;
    FakePriorityPort priority_;
    FakePlaybackDevice playback_;
    FakeCaptureDevice capture_;
    FakeUdpPort udp_;
    ModemPorts ports_{logger_,      ui_,       mainWindow_, block_,   titles_,
                      clock_,       devices_,  saveText_,   dialogs_, documents_,
                      serialPorts_, priority_, playback_,   capture_, udp_};
    std::optional<Modem> modem_;
    std::atomic<bool> transmitStarted_{false};
};

TEST_F(ModemTest, StartsFromTheSettingsFileBesideTheExecutable) {
    writeIni("[Kestrel Modem]\nMarkfrequency=2000\nSpacefrequency=2170\nN1MM_SWITCH=4\n");
    Modem& modem = start();
    EXPECT_EQ(capture_.journal().front(), "open 1 2");  // two channels for the default left one
    EXPECT_EQ(inside(modem).state().captureState, kCapturing);
    ASSERT_TRUE(inside(modem).link().connectLogger());
    const std::vector<LoggerPost> posts = logger_.posts();
    ASSERT_GE(posts.size(), 4u);
    EXPECT_EQ(posts[2], (LoggerPost{TXM_MARK, 2000}));
    EXPECT_EQ(posts[3], (LoggerPost{TXM_SPACE, 2170}));
    EXPECT_EQ(inside(modem).link().loggerWindow, 0x1A2B3C);
    EXPECT_EQ(inside(modem).state().SquelchState, 0);  // the stored switch word decides
    EXPECT_NE(ini().find("SquelchState=0"), std::string::npos);
}

TEST_F(ModemTest, ARefusedSettingsFileIsSaidOnceAndNeverWritten) {
    using namespace std::string_literals;
    const std::string settings = "[Kestrel Modem]\r\nMarkfrequency=2000\r\nN1MM_SWITCH=4\r\n";
    for (const std::string& refused :
         {settings + std::string(5 << 20, '\n'),    // far larger than any settings file
          "\xFF\xFE[\0K\0]\0=\0\x00\xD8\r\0\n\0"s,  // UTF-16 with a lone surrogate
          "\xFE\xFF\0[\0K\0]\0"s}) {                // UTF-16 of odd length
        ui_.clear();
        writeIni(refused);
        Modem& modem = start();
        EXPECT_EQ(inside(modem).state().markFrequency, 2125);
        ASSERT_TRUE(inside(modem).link().connectLogger());  // writes the squelch
        inside(modem).menu().menuCommand(IDM_CONTEST_MODE);
        ASSERT_EQ(ui_.messageBoxes().size(), 1u) << refused.size();
        EXPECT_NE(ui_.messageBoxes()[0].text.find(folder_.file("Kestrel.ini")), std::string::npos);
        EXPECT_TRUE(ini() == refused) << refused.size();
    }
}

TEST_F(ModemTest, TheTransmitModeDecidesWhichComPortOpensAtTheStart) {
    serialPorts_.devices = {"COM4", "COM5"};
    writeIni("[Kestrel Modem]\nTXmode=3\nFSKCOMport=COM4\nPTTCOMport=COM5\nPTT=1\n");
    Modem& fsk = start();
    fsk.prepareTransmitOutput();
    EXPECT_EQ(serialPorts_.journal("open"),
              (std::vector<std::string>{"open \\\\.\\COM4 overlapped"}));
    // AFSK chosen in the Settings dialog: the sound output opens, which FSK left closed.
    EXPECT_FALSE(playback_.deviceOpen());
    inside(fsk).state().TXmode = kAfskMode;
    inside(fsk).settingsDialogHooks().startPlayback();
    EXPECT_TRUE(eventually([&] { return playback_.deviceOpen(); }));

    writeIni("[Kestrel Modem]\nTXmode=1\nFSKCOMport=COM4\nPTTCOMport=COM5\nPTT=2\n");
    start().prepareTransmitOutput();
    EXPECT_EQ(serialPorts_.journal("open").back(), "open \\\\.\\COM5 overlapped");
    EXPECT_EQ(serialPorts_.journal("open").size(), 2u);

    writeIni("[Kestrel Modem]\nTXmode=0\nPTTCOMport=COM5\nPTT=0\n");
    start().prepareTransmitOutput();
    EXPECT_EQ(serialPorts_.journal("open").size(), 2u);
}

// The sound output's life around transmissions, on a device that plays nothing back: its
// buffers finish only when a reset hands them back.
struct ModemSoundTest : ModemTest {
    Modem& startSound() {
        // An input that never starts is never found dead: its reopens would reopen the
        // output between the steps.
        capture_.failing = {"start"};
        playback_.deliverEvents = true;
        Modem& modem = start();
        modem.prepareTransmitOutput();
        return modem;
    }
    // Keys, then Ctrl-T: the logger hears of it at once, and the writer primes the
    // preamble's two frames.
    void transmit(Modem& modem) {
        for (const char c : std::string("cq{CL}")) inside(modem).txWindow().handleCharacter(c);
        inside(modem).txWindow().handleCharacter(kCtrlT);
        EXPECT_EQ(logger_.posts().back(), (LoggerPost{TXM_PTTEVENT, 1}));
        EXPECT_TRUE(eventually([&] { return primed(); }));
        EXPECT_EQ(inside(modem).state().txState, kTxSending);
    }
    // The journal ends with both preamble frames written.
    bool primed() const {
        const std::vector<std::string> journal = playback_.journal();
        return journal.size() >= 2 && std::vector<std::string>(journal.end() - 2, journal.end()) ==
                                          std::vector<std::string>{"write 0", "write 1"};
    }
    // Ended as Escape ends it (on whichever thread ended it: the report comes last).
    void expectEnded(Modem& modem) {
        EXPECT_EQ(inside(modem).state().txState, kTxIdle);
        EXPECT_TRUE(eventually([&] {
            return logger_.posts().back() == LoggerPost{TXM_PTTEVENT, 0};
        }));
        EXPECT_EQ(inside(modem).txBuffer().takeRaw(), 0);
    }
    void awaitReopen(Modem& modem) {
        EXPECT_TRUE(eventually([&] { return inside(modem).state().txSoundState == kSoundReady; }));
    }
};

// Ctrl-T starts a transmission on the output device found by name; a reopen of the sound
// output (a new speed, say) and the program's end each end it at once, its text with it,
// and nothing is written after the end's reset (the system would refuse it with a box).
TEST_F(ModemSoundTest, AReopenAndTheEndEachEndATransmissionAtOnce) {
    Modem& modem = startSound();
    EXPECT_EQ(playback_.journal(),
              (std::vector<std::string>{"open 1 12000", "prepare 0", "prepare 1"}));
    EXPECT_EQ(inside(modem).state().txSoundState, kSoundReady);
    transmit(modem);
    inside(modem).state().txSoundState = kReopenRequest;
    awaitReopen(modem);
    expectEnded(modem);

    transmit(modem);
    modem.closeSoundDevices();
    EXPECT_FALSE(capture_.deviceOpen());
    EXPECT_FALSE(playback_.deviceOpen());
    const std::vector<std::string> journal = playback_.journal();
    const auto lastReset = std::find(journal.rbegin(), journal.rend(), "reset");
    ASSERT_NE(lastReset, journal.rend());
    EXPECT_TRUE(std::none_of(journal.rbegin(), lastReset,
                             [](const std::string& step) { return step.starts_with("write"); }));
    // Both buffers are released before the device is.
    EXPECT_EQ(std::vector<std::string>(lastReset.base(), journal.end()),
              (std::vector<std::string>{"unprepare 0", "unprepare 1", "close"}));
}

// The logger's {TX} arriving while the Settings dialog's OK has the output reopened, and
// the reopen taking long: the transmission goes out on the new device instead of being
// silently dropped with the transmitter keyed.
TEST_F(ModemSoundTest, ATransmissionStartedDuringAReopenGoesOutOnTheNewDevice) {
    Modem& modem = startSound();
    playback_.onStep = [&](const std::string& step) {
        if (step != "close") return;
        playback_.onStep = nullptr;
        transmitStarted_ = true;
        for (const char c : std::string("cq{CL}")) inside(modem).txWindow().handleCharacter(c);
        inside(modem).txWindow().handleCharacter(kCtrlT);
        // A busy machine makes the reopen slow: the transmission waiting for it is not
        // taken for stalled.
        std::this_thread::sleep_for(std::chrono::milliseconds(kStalledTransmissionMs + 200));
    };
    inside(modem).state().txSoundState = kReopenRequest;
    ASSERT_TRUE(eventually([&] { return transmitStarted_.load(); }));
    awaitReopen(modem);
    ASSERT_TRUE(eventually([&] { return primed(); }));
    const std::vector<std::string> journal = playback_.journal();
    const auto reopened = std::find(journal.begin(), journal.end(), "open 1 12000") + 1;
    const auto newDevice = std::find(reopened, journal.end(), "open 1 12000");
    ASSERT_NE(newDevice, journal.end());
    EXPECT_EQ(
        std::vector<std::string>(newDevice, journal.end()),
        (std::vector<std::string>{"open 1 12000", "prepare 0", "prepare 1", "write 0", "write 1"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(inside(modem).state().txState, kTxSending);
    inside(modem).txWindow().handleCharacter(kEscape);
    expectEnded(modem);
}

// Play WAV: a chosen file plays into the receive chain and is unchecked at its end;
// choosing while one plays stops it (and reopens the sound card: wine.kestrel_live_faults).
TEST_F(ModemTest, PlayWavPlaysAChosenFileAndStopsAPlayingOne) {
    ASSERT_TRUE(writeWavFile(folder_.file("quiet.wav"), std::vector<std::int16_t>(4000, 0), ui_));
    Modem& modem = start();
    dialogs_.answer = {kFileDialogConfirmed, folder_.file("quiet.wav")};
    EXPECT_EQ(modem.menuCommand(IDM_PLAY_WAV), MenuFollowUp::done);
    eventually([&] { return ui_.menuChecks().size() >= 2; });
    EXPECT_EQ(ui_.menuChecks(),
              (std::vector<UiItemFlag>{{IDM_PLAY_WAV, true}, {IDM_PLAY_WAV, false}}));
    EXPECT_EQ(inside(modem).state().wavPlaying, 0);
    EXPECT_NE(logger_.textOf(TXM_CHAR).find('\n'), std::string::npos);  // the line feeds

    inside(modem).state().wavPlaying = 1;  // as while a file plays
    modem.menuCommand(IDM_PLAY_WAV);
    EXPECT_EQ(inside(modem).state().wavPlaying, 0);
}

// Contact recording armed again (a new folder, say): the earlier listener ends and the new
// one listens.
TEST_F(ModemTest, RecordingArmedAgainListensAgain) {
    Modem& modem = start();
    const RecordingDialogTexts texts{folder_.path().string(), {"10", "1", "5", "1"}};
    for (int arming = 0; arming < 2; ++arming) {
        ASSERT_TRUE(modem.recordingDialogConfirmed(texts).confirmed);
        udp_.deliver("not a contact");
        EXPECT_TRUE(eventually([&] { return udp_.drained(); })) << arming;
    }
}

TEST_F(ModemTest, SpectrumClicksReachTheModeButtonTheReceiveTextAndThePause) {
    Modem& modem = start();
    inside(modem).state().Decodemode = 2;
    modem.spectrumWindowCreated();
    const SpectrumPaint paint = modem.spectrumPaint();
    const SpectrumGeometry& g = paint.geometry;
    int painted = 0;  // the background: all of the view but the two tone lines
    for (const SpectrumRect& r : paint.background)
        painted += (r.right - r.left) * (r.bottom - r.top);
    EXPECT_EQ(painted, (paint.width - 2) * kSpectrumHeight);

    modem.spectrumLeftClick(g.centre - g.halfShift / 2 - 1);  // just inside the left tone zone
    EXPECT_EQ(ui_.captions(), (std::vector<UiItemText>{{IDC_MODE_BUTTON, "Selectiv"}}));
    EXPECT_EQ(inside(modem).state().Decodemode, kDecodeSelectiv);
    modem.spectrumLeftClick(g.centre + g.halfShift / 2 + 1);  // the right tone: its marker goes
    EXPECT_TRUE(modem.spectrumPaint().leftMarkerShown && !modem.spectrumPaint().rightMarkerShown);
    modem.spectrumLeftClick(g.centre);
    EXPECT_EQ(ui_.captions().back(), (UiItemText{IDC_MODE_BUTTON, "Spread"}));

    inside(modem).state().wavPlaying = 1;
    modem.spectrumLeftClick(0);
    EXPECT_NE(logger_.textOf(TXM_CHAR).find("Not available when playing .wav files"),
              std::string::npos);
    EXPECT_EQ(inside(modem).state().pauseState, 0);

    inside(modem).state().wavPlaying = 0;
    modem.spectrumLeftClick(0);
    EXPECT_NE(inside(modem).state().pauseState, 0);
    modem.spectrumRightClick();
    EXPECT_EQ(inside(modem).state().pauseState, 0);
}

}  // namespace
}  // namespace kestrel
