#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/test_text_feeder.h"
#include "fakes/fakes.h"
#include "link/ptt_release_reporter.h"
#include "platform/logger_codes.h"
#include "support/tx_rig.h"
#include "transmit/afsk_generator.h"
#include "transmit/com_ports.h"
#include "transmit/fsk_thread.h"
#include "transmit/offline_playback.h"
#include "transmit/pfsk_generator.h"
#include "transmit/playback_supervisor.h"
#include "transmit/ptt_port.h"
#include "transmit/sound_output.h"
#include "transmit/tiny_fsk.h"
#include "transmit/tx_buffer.h"
#include "transmit/tx_window.h"
#include "unit/scratch_folder.h"

namespace kestrel {
namespace {

// What the transmit buffer holds, taken out as the transmitter takes it.
std::string taken(TxBuffer& buffer) {
    std::string out;
    while (const std::uint8_t c = buffer.takeRaw()) out += static_cast<char>(c);
    return out;
}

// A transmitter with its sound output, on a recording device.
struct SoundRig : TxRig {
    SoundRig() { state.TXmode = kAfskMode; }

    SoundGenerators generators{links};
    FakePlaybackDevice port;
    FakeClock clock;
    SoundOutput output{state, generators, port, clock};
};

struct Keying {
    int fskLine, fskInvert, pttLine;
    std::string mark, space, pttOn, pttOff;
};

const Keying kKeyings[] = {
    {0, 0, 2, "DTR off", "DTR on", "RTS on", "RTS off"},
    {0, 1, 2, "DTR on", "DTR off", "RTS on", "RTS off"},
    {1, 0, 1, "RTS off", "RTS on", "DTR on", "DTR off"},
    {1, 1, 1, "RTS on", "RTS off", "DTR on", "DTR off"},
    {2, 0, 1, "break off", "break on", "DTR on", "DTR off"},
    {2, 1, 2, "break on", "break off", "RTS on", "RTS off"},
};

// One FSK port on the fake 10 MHz counter whose every reading moves time on by ticksPerRead.
struct FskRig : TxRig {
    FskRig(int baudIndex, std::int64_t ticksPerRead, const Keying& k) : keying(k) {
        clock.ticksPerRead = ticksPerRead;
        system.timeSource = [this] { return clock.now; };
        system.devices = {"COM5"};
        priority.onCall = [this](const std::string& what) { system.note(what); };
        logger.onPost = [this](std::uint32_t code, std::int64_t value) {
            system.note("post " + std::to_string(code) + " " + std::to_string(value));
        };
        state.baudIndex = baudIndex;
        state.TXmode = kFskMode;
        state.fskLine = k.fskLine;
        state.fskInvert = k.fskInvert;
        state.pttLine = k.pttLine;
        EXPECT_EQ(openFskPort(ports, state, "COM5"), 0);
        firstEvent = system.events().size();
    }
    std::vector<SerialEvent> keyingEvents() const {
        auto all = system.events();
        return {all.begin() + static_cast<std::ptrdiff_t>(firstEvent), all.end()};
    }
    // The line changes the frames need ("S" or "M" per element), each at the end of the
    // element before, the first at `start`; every frame after the first opens with the
    // start element set as soon as the frame before has ended.
    std::vector<SerialEvent> schedule(const std::vector<std::string>& frames, std::int64_t start,
                                      std::int64_t ticks) const {
        std::vector<SerialEvent> out;
        std::int64_t frameStart = start;
        for (std::size_t f = 0; f < frames.size(); ++f) {
            if (f > 0) out.push_back({keying.space, frameStart});
            for (int e = 0; e < 7; ++e)
                out.push_back(
                    {frames[f][e] == 'S' ? keying.space : keying.mark, frameStart + e * ticks});
            frameStart += 7 * ticks + ticks / 2;
        }
        return out;
    }

    FakeSerialPorts system;
    ComPorts ports{system, ui};
    FakePriorityPort priority;
    FakeClock clock;
    Keying keying;
    FskKeyer keyer{state, ports, buffer, clock, priority, logger, ui};
    std::size_t firstEvent = 0;
};

std::vector<std::string> show(const std::vector<SerialEvent>& events) {
    std::vector<std::string> out;
    for (const auto& e : events) out.push_back(std::to_string(e.at) + " " + e.what);
    return out;
}

// "RY" with the end asked for during the third frame, or before the thread first looks (the
// logger's {TX} and {RX} in one breath): space and mark preambles, LTRS, R, Y; the LTRS that
// ends the text is not sent, and PTT goes off 53 ms after the last frame.
TEST(FskThread, SendsTextOnAbsoluteDeadlinesAtBothSpeedsOnEveryLine) {
    struct Speed {
        int baudIndex;
        std::int64_t ticks, step;  // the step divides every deadline, so spins land on them
    };
    for (Speed speed : {Speed{0, 220000, 10000}, Speed{2, 133330, 13333}}) {
        for (const Keying& k : kKeyings) {
            for (const bool endAtOnce : {false, true}) {
                SCOPED_TRACE(std::to_string(speed.baudIndex) + ": space is " + k.space +
                             (endAtOnce ? ", end at once" : ""));
                FskRig rig(speed.baudIndex, speed.step, k);
                rig.type("RY");
                rig.state.txState = endAtOnce ? kTxEndRequested : kTxRequested;
                const std::int64_t start = speed.step;  // the first counter reading
                const std::int64_t frame = 7 * speed.ticks + speed.ticks / 2;
                if (!endAtOnce)
                    rig.clock.at(start + 2 * frame + frame / 2,
                                 [&rig] { rig.state.txState = kTxEndRequested; });
                launchFskThread(rig.keyer).join();

                std::vector<SerialEvent> want = {
                    {"lock", 0}, {"realtime", 0}, {"time-critical", 0}, {k.pttOn, 0}};
                auto frames = rig.schedule({"SSSSSSS", "MMMMMMM", "SMMMMMM", "SSMSMSM", "SMSMSMM"},
                                           start, speed.ticks);
                // Each character is taken, and echoed, as the stop element before it starts.
                frames.insert(frames.begin() + 23,
                              {"post 32771 82", start + 2 * frame + 6 * speed.ticks});
                frames.insert(frames.begin() + 32,
                              {"post 32771 89", start + 3 * frame + 6 * speed.ticks});
                want.insert(want.end(), frames.begin(), frames.end());
                for (const std::string& what :
                     std::vector<std::string>{"post 32772 0", k.pttOff, k.mark, "normal thread",
                                              "normal class", "unlock"})
                    want.push_back({what, start + 5 * frame + 530000});

                EXPECT_EQ(show(rig.keyingEvents()), show(want));
                EXPECT_EQ(rig.clock.sleeps, std::vector<std::uint32_t>{53});
                EXPECT_EQ(rig.state.txState.load(), kTxIdle);
                EXPECT_TRUE(rig.ui.messageBoxes().empty());
            }
        }
    }
}

TEST(FskThread, SleepsThenSpinsWhenTheCounterReadsPastADeadline) {
    FskRig rig(0, 7, kKeyings[0]);  // readings land up to 6 ticks late
    rig.type("E");
    rig.state.txState = kTxRequested;
    rig.clock.at(2 * 1650000, [&rig] { rig.state.txState = kTxEndRequested; });
    fskThread(rig.keyer);

    std::vector<SerialEvent> lines;
    for (const auto& e : rig.keyingEvents())
        if (e.what == rig.keying.mark || e.what == rig.keying.space) lines.push_back(e);
    auto want = rig.schedule({"SSSSSSS", "MMMMMMM", "SMMMMMM", "SMSSSSM"}, 7, 220000);
    ASSERT_EQ(lines.size(), want.size() + 1);  // and the mark at the end
    // Each element starts at the first counter reading on or after its deadline. A data
    // element that starts late has 21.99 ms left and sleeps 20 ms of it; one that starts
    // on time has 22 ms left, the limit, and spins; stop elements (33 ms) always spin.
    std::size_t lateDataElements = 0;
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(lines[i].what, want[i].what) << i;
        EXPECT_GE(lines[i].at, want[i].at) << i;
        EXPECT_LT(lines[i].at, want[i].at + 7) << i;
        const bool startBit = i >= 7 && (i - 7) % 8 == 0, stopElement = i % 8 == 6;
        if (!startBit && !stopElement && lines[i].at > want[i].at) ++lateDataElements;
    }
    EXPECT_GT(lateDataElements, 10u);
    auto wantSleeps = std::vector<std::uint32_t>(lateDataElements, 20);
    wantSleeps.push_back(53);
    EXPECT_EQ(rig.clock.sleeps, wantSleeps);
}

// Escape during the third frame: the window switches PTT off and reports the end at once;
// the thread completes the frame, opens the next start element, then reports again,
// restores the priority class, switches PTT off and rests the line at mark.
TEST(FskThread, AbortCompletesTheFrameThenReleasesEverything) {
    const Keying& k = kKeyings[2];
    FskRig rig(0, 10000, k);
    rig.type("RYRYRY");
    rig.state.txState = kTxRequested;
    ComPttSwitch ptt(rig.ports, rig.state);
    const std::int64_t escape = 10000 + 2 * 1650000 + 500000;
    rig.clock.at(escape, [&] {
        rig.state.txState = kTxIdle;
        ptt.setPtt(false);
        rig.buffer.clear();
        rig.logger.post(32772, 0);
    });
    launchFskThread(rig.keyer).join();

    const auto events = show(rig.keyingEvents());
    const std::int64_t frame3End = 10000 + 3 * 1650000;
    const std::string t = std::to_string(frame3End) + " ";
    ASSERT_GE(events.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(events.end() - 6, events.end()),
              (std::vector<std::string>{std::to_string(frame3End - 330000) + " " + k.mark,
                                        t + k.space, t + "post 32772 0", t + "normal class",
                                        t + k.pttOff, t + k.mark}));
    for (const std::string& what : {k.pttOff, std::string("post 32772 0")})
        EXPECT_EQ(std::count(events.begin(), events.end(), std::to_string(escape) + " " + what), 1);
    EXPECT_EQ(rig.priority.calls(),
              (std::vector<std::string>{"lock", "realtime", "time-critical", "normal class"}));
}

// A keyer's port whose write timed out with part of the command sent: the command failed.
TEST(ComPorts, AWriteCutShortIsAFailure) {
    struct CutShort : FakeSerialPort {
        using FakeSerialPort::FakeSerialPort;
        bool write(std::span<const std::uint8_t>, std::size_t& written) override {
            written = 1;
            return true;
        }
    };
    FakeSerialPorts system;
    CutShort cutShort(system, "COM4");
    EXPECT_FALSE(writeAll(&cutShort, "~4"));
}

// The keyer's answer to "~?", read whatever its case: the speed field says the keyer is
// there; a mark level it names neither way is unreadable, one it leaves out is missing
// (each has its own message).
TEST(TinyFsk, TheQueryReplyIsReadForSpeedAndMark) {
    const struct {
        const char* reply;
        bool speedField;
        char digit;
        TinyMark mark;
    } cases[] = {{"~?\r\nSpeed 45 Mark High\r\n", true, '4', TinyMark::high},
                 {"SPEED 75 MARK LOW", true, '7', TinyMark::low},
                 {"SPEED 9 MARK --", true, 0, TinyMark::unreadable},
                 {"SPEED 5", true, '5', TinyMark::missing},
                 {"MARK HIGH", false, 0, TinyMark::missing}};
    for (const auto& c : cases) {
        const TinyQueryReply r = parseTinyReply(c.reply);
        EXPECT_EQ(r.speedField, c.speedField) << c.reply;
        EXPECT_EQ(r.speedDigit, c.digit) << c.reply;
        EXPECT_EQ(r.mark, c.mark) << c.reply;
    }
}

// What goes on air for typed text, one transmission after another: '<' is LTRS, '>' FIGS.
// A space in figures and a line end leave the case open, so what follows is shifted again;
// idle fill repeats the case; runs of spaces collapse, and a dropped character ends a run.
// Each transmission closes with one LTRS, not echoed, and the next starts in no case.
TEST(TxBuffer, ShiftsAreSentWhereTheCaseChangesOrIsOpen) {
    const std::pair<const char*, const char*> cases[] = {{"12 34", ">12 >34>"},
                                                         {"AB", "<AB<"},
                                                         {"A   B % ", "<A B  <"},
                                                         {"AB\r\nC D", "<AB\r\n<C D<"},
                                                         {"5\r -", ">5\r< >-"}};
    TxRig rig;
    std::string echoed;
    for (const auto& [typed, sent] : cases) {
        rig.type(typed);
        rig.state.txState = kTxSending;
        std::string got;
        for (const char* c = sent; *c; ++c) {
            const int code = rig.buffer.nextCode();
            got += code == kBaudotLtrs                            ? '<'
                   : code == kBaudotFigs                          ? '>'
                   : code == (encodeBaudot(*c) & kBaudotDataBits) ? *c
                                                                  : '?';
            if (*c != '<' && *c != '>') echoed += *c;
        }
        rig.state.txState = kTxEndRequested;
        got += rig.buffer.nextCode() == kBaudotLtrs ? "<" : "?";
        EXPECT_EQ(got, std::string(sent) + "<") << typed;
        EXPECT_EQ(rig.state.txState, kTxClosing) << typed;
    }
    EXPECT_EQ(rig.logger.textOf(TXM_CHAR), echoed);
}

TEST(TxBuffer, ThePenultimateSlotIsTheLastAcceptedAndTheNextCharacterIsLost) {
    TxRig rig;
    rig.type(std::string(1234, 'x'));  // fullness must not depend on where the ring stands
    taken(rig.buffer);
    rig.type(std::string(kTxRingSize - 1, 'R'));
    EXPECT_TRUE(rig.ui.messageBoxes().empty());
    // The transmitter may take characters while the box waits for the operator.
    int busyWhileShown = -1;
    rig.ui.whileBoxShows = [&rig, &busyWhileShown] {
        busyWhileShown = rig.buffer.statistics().busy;
    };
    EXPECT_FALSE(rig.buffer.add('Y'));
    EXPECT_EQ(
        rig.ui.messageBoxes(),
        (Boxes{{"TX Keyboard Buffer Full\nCharacter lost", "", kMbIconInformation | kMbTopMost}}));
    EXPECT_EQ(busyWhileShown, 0);
    // Once the transmitter takes one, there is room again.
    EXPECT_EQ(rig.buffer.takeRaw(), 'R');
    EXPECT_TRUE(rig.buffer.add('Y'));
    EXPECT_EQ(taken(rig.buffer), std::string(kTxRingSize - 2, 'R') + "Y");
    // A backspace where the ring starts again deletes the character before the ring's end.
    rig.type(std::string(kTxRingSize - 1234, 'E'));
    rig.buffer.deleteLast();
    EXPECT_EQ(taken(rig.buffer), std::string(kTxRingSize - 1235, 'E'));
}

TEST(TxBuffer, ConcurrentWritersAndSenderLoseNothing) {
    constexpr int kPerWriter = 5000;
    TxRig rig;
    std::vector<std::thread> writers;
    for (char c : std::string("ABCD"))
        writers.emplace_back([&rig, c] { rig.type(std::string(kPerWriter, c)); });
    int sent = 0;
    std::thread sender([&] {
        while (sent < 4 * kPerWriter)
            if (rig.buffer.nextCode() != kBaudotLtrs) ++sent;
    });
    for (auto& w : writers) w.join();
    sender.join();
    EXPECT_EQ(rig.logger.values(TXM_CHAR).size(), 4u * kPerWriter);
    EXPECT_EQ(taken(rig.buffer), "");
}

// Typed keys go on air through the window: upper-cased, a backspace deletes; Ctrl-T starts
// and ends the transmission, whose last audio is a silent fade and starts the reporter
// that releases PTT. Once it is under way {TX} does nothing and {RX} posts its end.
TEST(TxWindow, TypedKeysGoOnAirAndTheEndFadesAndReleases) {
    SoundRig rig;
    OfflinePlayback device;
    SoundOutput output{rig.state, rig.generators, device, rig.clock};
    int feederStarts = 0;
    std::string posted;
    TxWindowHooks hooks{[] {}, [] {}, [&feederStarts] { ++feederStarts; },
                        [&posted](std::uint8_t c) { posted += static_cast<char>(c); }};
    TxWindow window{rig.state, rig.buffer, output, rig.ptt, rig.logger, hooks};
    for (const char c : std::string("de k1abc\b\bXY")) window.handleCharacter(c);
    window.handleCharacter(0x1'0000'0000'0042);  // only the UTF-16 unit is the character
    window.handleCharacter(0);
    EXPECT_EQ(rig.state.txState.load(), kTxIdle);
    window.handleCharacter(22);  // Ctrl-V
    EXPECT_EQ(feederStarts, 1);
    window.handleCharacter(20);  // Ctrl-T
    for (const char c : std::string("{tx}{rx}")) window.handleCharacter(c);
    EXPECT_EQ(posted, "\x14");
    window.handleCharacter(20);
    device.playAll(output);
    EXPECT_EQ(rig.logger.textOf(TXM_CHAR), "DE K1AXYB");
    EXPECT_EQ(rig.logger.values(TXM_PTTEVENT), std::vector<std::int64_t>{1});
    EXPECT_EQ(rig.ptt.calls(), std::vector<bool>{true});
    EXPECT_EQ(rig.state.txState, kTxIdle);
    EXPECT_EQ(rig.releaseStarts, 1);
    EXPECT_TRUE(std::all_of(device.played.end() - 2 * (kTxFrameSamples - kElementSamples),
                            device.played.end(), [](auto s) { return s == 0; }));
}

// The driver's part while a new transmission waits: each sleep lets the buffer written
// first of those not yet played finish, as a device plays them in order.
struct DriverClock : FakeClock {
    SoundOutput* output = nullptr;
    FakePlaybackDevice* port = nullptr;
    std::size_t played = 0;
    void sleepMs(std::uint32_t ms) override {
        FakeClock::sleepMs(ms);
        const std::vector<int> written = port->writtenIndices();
        if (played < written.size())
            output->playbackCallback(PlaybackEvent::bufferDone, written[played++]);
    }
};

TEST(SoundOutput, ANewTransmissionWaitsForTheLastOnesBuffersThenRefillsItsOwnInTheirOrder) {
    SoundRig rig;
    DriverClock driver;
    SoundOutput output{rig.state, rig.generators, rig.port, driver};
    driver.output = &output;
    driver.port = &rig.port;
    rig.type("TU");
    rig.state.txState = kTxRequested;
    output.primePlayback();
    rig.state.txState = kTxIdle;  // that transmission ended while both buffers still play

    rig.state.txState = kTxRequested;  // the logger starts the next one at once
    output.primePlayback();
    EXPECT_EQ(rig.port.writtenIndices(), (std::vector<int>{0, 1, 0, 1}));
    EXPECT_EQ(driver.sleeps.size(), 2u);     // one wait for each buffer to come free
    EXPECT_EQ(output.refillCompleted(), 0);  // the old completions are not refilled
    EXPECT_EQ(rig.state.txState, kTxSending);

    output.playbackCallback(PlaybackEvent::bufferDone, 0);  // the new preamble's own
    EXPECT_EQ(output.refillCompleted(), 1);
    output.playbackCallback(PlaybackEvent::bufferDone, 1);
    output.playbackCallback(PlaybackEvent::bufferDone, -1);  // no buffer of ours
    output.playbackCallback(PlaybackEvent::bufferDone, kPlaybackBuffers);
    output.playbackCallback(PlaybackEvent::bufferDone, 0);
    EXPECT_EQ(output.refillCompleted(), 2);
    EXPECT_EQ(output.refillCompleted(), 0);
    EXPECT_EQ(rig.port.writtenIndices(), (std::vector<int>{0, 1, 0, 1, 0, 1, 0}));
    EXPECT_EQ(rig.logger.textOf(TXM_CHAR), "TU");
}

// The output channel setting: both sides (0), the left alone (1), the right alone (2).
TEST(SoundOutput, EachChannelSettingSoundsItsSides) {
    TxFrame frame;
    frame.fill(1000);
    std::vector<std::int16_t> stereo(2 * kTxFrameSamples);
    for (const auto& [channel, left, right] :
         {std::array{0, 1000, 1000}, {1, 1000, 0}, {2, 0, 1000}}) {
        copyToChannels(frame, channel, stereo);
        EXPECT_EQ(stereo.front(), left) << channel;
        EXPECT_EQ(stereo.back(), right) << channel;
    }
}

// The device finishes the first preamble frame while the second is being written, as a
// busy machine may let it.
TEST(SoundOutput, APreambleFrameFinishedBeforeTheNextIsWrittenIsStillRefilled) {
    SoundRig rig;
    rig.port.onStep = [&rig](const std::string& step) {
        if (step == "write 1") rig.output.playbackCallback(PlaybackEvent::bufferDone, 0);
    };
    rig.state.txState = kTxRequested;
    rig.output.primePlayback();
    EXPECT_EQ(rig.output.refillCompleted(), 1);  // else the transmission stalls, keyed
}

// The transmission watchdog: a sound-card transmission whose output made no progress for
// 2 s is ended (half a second once the logger asked for its end, ten while the device is
// being reopened), with the status text, the message and a reopen. FSK keys without the
// sound card and a receiving modem sends nothing: neither is touched.
TEST(TransmissionWatchdog, EndsOnlyASoundCardTransmissionThatStoppedPlaying) {
    const struct {
        int mode, txState, soundState;
        std::int64_t quietMs;
        bool ends;
    } cases[] = {
        {kAfskMode, kTxSending, kSoundReady, 1990, false},
        {kDookMode, kTxSending, kSoundReady, 2010, true},
        {kPfskMode, kTxRequested, kSoundReady, 2010, true},
        {kAfskMode, kTxEndRequested, kSoundReady, 490, false},
        {kAfskMode, kTxEndRequested, kSoundReady, 510, true},
        {kAfskMode, kTxSending, kSoundUnavailable, 9990, false},
        {kAfskMode, kTxSending, kSoundUnavailable, 10010, true},
        {kFskMode, kTxSending, kSoundReady, 60000, false},
        {kTinyFskMode, kTxEndRequested, kSoundReady, 60000, false},
        {kAfskMode, kTxIdle, kSoundReady, 60000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.txState << " " << c.quietMs);
        SoundRig rig;
        int ended = 0, told = 0;
        PlaybackDevice playback{rig.state, rig.output,       rig.port,       rig.ui,
                                rig.clock, [&] { ++ended; }, [&] { ++told; }};
        rig.state.TXmode = c.mode;
        rig.state.txState = c.txState;
        rig.state.txSoundState = c.soundState;
        rig.output.noteProgress();
        rig.clock.now += c.quietMs * (FakeClock::kFrequency / 1000);
        endStalledTransmission(playback);
        EXPECT_EQ(ended, c.ends ? 1 : 0);
        EXPECT_EQ(told, ended);
        EXPECT_EQ(rig.state.txSoundState == kReopenRequest, c.ends);
        EXPECT_EQ(rig.ui.statusText(kNoticeStatusPart).has_value(), c.ends);
    }
}

// A device that will not open is unavailable (else it would be reopened, and the failure
// shown, again and again); a reopened one holds none of the closed one's buffers, so a
// transmission after it is written at once, not after waiting for buffers that will never
// come back.
TEST(PlaybackDevice, OneThatWillNotOpenIsUnavailableAndAReopenedOneIsWrittenAtOnce) {
    SoundRig rig;
    PlaybackDevice playback{rig.state, rig.output, rig.port, rig.ui, rig.clock, [] {}, [] {}};
    rig.port.failing = {"open"};
    rig.state.txSoundState = kReopenRequest;
    openPlayback(playback, 1);
    EXPECT_EQ(rig.state.txSoundState, kSoundUnavailable);
    EXPECT_EQ(rig.ui.boxTexts().size(), 1u);
    rig.port.failing.clear();
    rig.state.txState = kTxRequested;
    rig.output.primePlayback();
    openPlayback(playback, 1);
    const std::size_t sleeps = rig.clock.sleeps.size();
    rig.output.primePlayback();
    EXPECT_EQ(rig.clock.sleeps.size(), sleeps);
    EXPECT_EQ(rig.port.writtenIndices(), (std::vector<int>{0, 1, 0, 1}));
}

// A transmit state out of the generators' range shows their error and keys nothing.
TEST(TxFrame, AStateOutOfRangeShowsTheGeneratorsErrorAndKeysNothing) {
    TxRig rig;
    AfskGenerator afsk{rig.links};
    TxFrame f;
    f.fill(7);
    for (const int bad : {kTxIdle - 1, kTxClosing + 1}) {
        rig.state.txState = bad;
        afsk.generateAfsk(f);
    }
    EXPECT_EQ(rig.ui.boxTexts(), std::vector<std::string>(2, "TX AFSK error 105"));
    EXPECT_EQ(f[0], 7);
    EXPECT_TRUE(rig.ptt.calls().empty());
}

// Every sound mode switches PTT on with a transmission's first frame, and only then.
TEST(SoundGenerators, EachModeSwitchesPttOnAtTheStart) {
    for (const int mode : {kAfskMode, kDookMode, kPfskMode}) {
        SoundRig rig;
        rig.state.TXmode = mode;
        rig.state.txState = kTxRequested;
        TxFrame f;
        for (int frame = 0; frame < 3; ++frame) rig.generators.generateFrame(f);
        EXPECT_EQ(rig.ptt.calls(), std::vector<bool>{true}) << mode;
    }
}

// PFSK keys a tone for space and silence for mark, each tone element from phase 0.
TEST(Pfsk, PreambleThenLtrsThenTextWithEachSpaceElementAToneFromPhaseZero) {
    TxRig rig;
    PfskGenerator pfsk{rig.links};
    const double w = 2.0 * std::numbers::pi * 5000.0 / rig.state.sampleRate.load();
    // The frame's elements: "T" for sin(n w) at full amplitude from the element's start
    // (within the rounding of the accumulated phase), "-" for silence.
    auto elements = [&] {
        TxFrame f;
        f.fill(1);
        pfsk.generatePfsk(f);
        std::string out;
        for (int e = 0; e < 7; ++e) {
            const int begin = e * kElementSamples;
            const int count = e < 6 ? kElementSamples : kTxFrameSamples - begin;  // the stop
            bool tone = true, silent = true;
            for (int n = 0; n < count; ++n) {
                tone = tone && std::abs(f[begin + n] - std::trunc(32760.0 * std::sin(n * w))) <= 1;
                silent = silent && f[begin + n] == 0;
            }
            out += silent ? '-' : tone ? 'T' : '?';
        }
        return out;
    };
    rig.type("E");
    rig.state.txState = kTxRequested;
    EXPECT_EQ(elements(), "TTTTTTT");  // the preamble: a space frame, a mark frame
    EXPECT_EQ(elements(), "-------");
    EXPECT_EQ(elements(), "T------");
    EXPECT_TRUE(rig.logger.posts().empty());  // not taken from the buffer, so no echo
    elements();                               // the buffer's own shift: LTRS again
    EXPECT_EQ(elements(), "T-TTTT-");
    // The next transmission has its own LTRS too (the buffer is still in letters).
    rig.type("E");
    rig.state.txState = kTxRequested;
    for (const char* frame : {"TTTTTTT", "-------", "T------", "T-TTTT-"})
        EXPECT_EQ(elements(), frame);
    EXPECT_EQ(rig.logger.textOf(TXM_CHAR), "EE");
}

TEST(PttReleaseReporter, ATransmissionStartedInTheWaitKeepsItsPtt) {
    TxRig rig;
    FakeClock clock;
    clock.at(0, [&rig] { rig.state.txState = kTxRequested; });
    pttReleaseReporter(rig.state, rig.logger, rig.ptt, clock);
    EXPECT_TRUE(rig.logger.posts().empty());
    EXPECT_TRUE(rig.ptt.calls().empty());
}

TEST(TestTextFeeder, EveryByteOfTheFileIsTypedAcrossChunkEdgesAndNoFileTypesNothing) {
    ScratchFolder folder;
    TxRig rig;
    testTextFeeder(rig.buffer, folder.file("none.txt"));
    ScratchFolder::write(folder.file("empty.txt"), "");
    testTextFeeder(rig.buffer, folder.file("empty.txt"));
    EXPECT_EQ(taken(rig.buffer), "");
    const std::string text = "CQ TEST DE DL5XYZ DL5XYZ K\nDL5XYZ 599 14 14\n";  // 44 bytes
    ScratchFolder::write(folder.file("calls.txt"), text);
    testTextFeeder(rig.buffer, folder.file("calls.txt"));
    EXPECT_EQ(taken(rig.buffer), text);
    EXPECT_TRUE(rig.ui.messageBoxes().empty());
}

}  // namespace
}  // namespace kestrel
