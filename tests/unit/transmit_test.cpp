#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <numbers>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/test_text_feeder.h"
#include "fakes/fakes.h"
#include "link/ptt_release_reporter.h"
#include "platform/logger_codes.h"
#include "support/tx_rig.h"
#include "transmit/com_ports.h"
#include "transmit/fsk_thread.h"
#include "transmit/offline_playback.h"
#include "transmit/pfsk_generator.h"
#include "transmit/ptt_port.h"
#include "transmit/sound_output.h"
#include "transmit/tx_buffer.h"
#include "transmit/tx_window.h"
#include "unit/scratch_folder.h"

namespace kestrel {
namespace {

// What the transmit buffer holds and has not sent.
std::string unsentText(const TxBuffer& buffer) {
    std::string out;
    for (int i = buffer.txTail; i != buffer.txHead; i = (i + 1) % kTxRingSize)
        out += static_cast<char>(buffer.txRing[i]);
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
struct FskRig {
    FskRig(int baudIndex, std::int64_t ticksPerRead, const Keying& k) : keying(k) {
        clock.ticksPerRead = ticksPerRead;
        system.timeSource = [this] { return clock.now; };
        system.devices = {"COM5"};
        priority.onCall = [this](const std::string& what) { system.note(what); };
        logger.onPost = [this](std::uint32_t code, std::int64_t value) {
            system.note("post " + std::to_string(code) + " " + std::to_string(value));
        };
        state.baudIndex = baudIndex;
        state.TXmode = 3;
        state.fskLine = k.fskLine;
        state.fskInvert = k.fskInvert;
        state.pttLine = k.pttLine;
        EXPECT_EQ(openFskPort(ports, state, "COM5"), 0);
        firstEvent = system.events().size();
    }
    void add(const std::string& text) {
        for (char c : text) buffer.txBuffer(static_cast<std::uint8_t>(c), TXB_ADD);
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

    ModemState state;
    FakeSerialPorts system;
    RecordingUi ui;
    ComPorts ports{system, ui};
    RecordingLogger logger;
    TxBuffer buffer{state, logger, ui};
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

// "RY" with the end asked for during the third frame: space and mark preambles, LTRS, R,
// Y; the LTRS that ends the text is not sent, and PTT goes off 53 ms after the last frame.
TEST(FskThread, SendsTextOnAbsoluteDeadlinesAtBothSpeedsOnEveryLine) {
    struct Speed {
        int baudIndex;
        std::int64_t ticks, step;  // the step divides every deadline, so spins land on them
    };
    for (Speed speed : {Speed{0, 220000, 10000}, Speed{2, 133330, 13333}}) {
        for (const Keying& k : kKeyings) {
            SCOPED_TRACE(std::to_string(speed.baudIndex) + ": space is " + k.space);
            FskRig rig(speed.baudIndex, speed.step, k);
            rig.add("RY");
            rig.state.txState = kTxRequested;
            const std::int64_t start = speed.step;  // the first counter reading
            const std::int64_t frame = 7 * speed.ticks + speed.ticks / 2;
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
            for (std::string what :
                 {std::string("post 32772 0"), k.pttOff, k.mark, std::string("normal thread"),
                  std::string("normal class"), std::string("unlock")})
                want.push_back({what, start + 5 * frame + 530000});

            EXPECT_EQ(show(rig.keyingEvents()), show(want));
            EXPECT_EQ(rig.clock.sleeps, std::vector<std::uint32_t>{53});
            EXPECT_EQ(rig.state.txState.load(), kTxIdle);
            EXPECT_TRUE(rig.ui.messageBoxes().empty());
        }
    }
}

TEST(FskThread, SleepsThenSpinsWhenTheCounterReadsPastADeadline) {
    FskRig rig(0, 7, kKeyings[0]);  // readings land up to 6 ticks late
    rig.add("E");
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
        bool startBit = i >= 7 && (i - 7) % 8 == 0;
        bool stopElement = i % 8 == 6;
        if (!startBit && !stopElement && lines[i].at > want[i].at) ++lateDataElements;
    }
    auto sleeps = rig.clock.sleeps;
    ASSERT_FALSE(sleeps.empty());
    EXPECT_EQ(sleeps.back(), 53u);
    sleeps.pop_back();
    EXPECT_GT(lateDataElements, 10u);
    EXPECT_EQ(sleeps, std::vector<std::uint32_t>(lateDataElements, 20));
}

// Escape during the third frame: the window switches PTT off and reports the end at once;
// the thread completes the frame, opens the next start element, then reports again,
// restores the priority class, switches PTT off and rests the line at mark.
TEST(FskThread, AbortCompletesTheFrameThenReleasesEverything) {
    const Keying& k = kKeyings[2];
    FskRig rig(0, 10000, k);
    rig.add("RYRYRY");
    rig.state.txState = kTxRequested;
    ComPttSwitch ptt(rig.ports, rig.state);
    const std::int64_t escape = 10000 + 2 * 1650000 + 500000;
    rig.clock.at(escape, [&] {
        rig.state.txState = kTxIdle;
        ptt.setPtt(false);
        rig.buffer.txBuffer(0, TXB_CLEAR);
        rig.logger.post(32772, 0);
    });
    launchFskThread(rig.keyer).join();

    std::vector<std::string> tail;
    auto events = show(rig.keyingEvents());
    std::int64_t frame3End = 10000 + 3 * 1650000;
    std::string t = std::to_string(frame3End) + " ";
    ASSERT_GE(events.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(events.end() - 6, events.end()),
              (std::vector<std::string>{std::to_string(frame3End - 330000) + " " + k.mark,
                                        t + k.space, t + "post 32772 0", t + "normal class",
                                        t + k.pttOff, t + k.mark}));
    EXPECT_EQ(std::count(events.begin(), events.end(), std::to_string(escape) + " " + k.pttOff), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), std::to_string(escape) + " post 32772 0"),
              1);
    EXPECT_EQ(rig.priority.calls(),
              (std::vector<std::string>{"lock", "realtime", "time-critical", "normal class"}));
}

// The logger's {TX} and {RX} in one breath: the end request is there before the thread
// first looks, and the transmission still has PTT and its preamble.
TEST(FskThread, AnEndRequestBeforeTheFirstFrameKeepsThePreamble) {
    const Keying& k = kKeyings[0];
    FskRig rig(0, 10000, k);
    rig.add("E");
    rig.state.txState = kTxEndRequested;
    fskThread(rig.keyer);
    std::vector<std::string> lines;
    for (const auto& e : rig.keyingEvents())
        if (e.what != "post 32771 69") lines.push_back(e.what);
    std::vector<std::string> want = {"lock", "realtime", "time-critical", k.pttOn};
    for (const auto& e : rig.schedule({"SSSSSSS", "MMMMMMM", "SMMMMMM", "SMSSSSM"}, 10000, 220000))
        want.push_back(e.what);
    for (const char* what :
         {"post 32772 0", "RTS off", "DTR off", "normal thread", "normal class", "unlock"})
        want.push_back(what);
    EXPECT_EQ(lines, want);
}

class TxBufferTest : public ::testing::Test {
  protected:
    void add(const std::string& text) {
        for (char c : text) buffer.txBuffer(static_cast<std::uint8_t>(c), TXB_ADD);
    }
    std::string unsent() const { return unsentText(buffer); }
    int code(char c) { return encodeBaudot(c) & kBaudotDataBits; }

    ModemState state;
    RecordingLogger logger;
    RecordingUi ui;
    TxBuffer buffer{state, logger, ui};
    const int ltrs = kBaudotLtrs, figs = kBaudotFigs;
};

TEST_F(TxBufferTest, RunsOfSpacesCollapseButAnyCharacterEndsTheRun) {
    add("A   B");
    EXPECT_EQ(unsent(), "A B");
    add(" % ");  // the dropped percent sign still ends the run
    EXPECT_EQ(unsent(), "A B  ");
}

// What goes on air for typed text: '<' is LTRS, '>' FIGS. A space in figures and a line
// end leave the case open, so what follows is shifted again; idle fill repeats the case.
TEST_F(TxBufferTest, ShiftsAreSentWhereTheCaseChangesOrIsOpen) {
    const std::pair<const char*, const char*> cases[] = {
        {"12 34", ">12 >34>"}, {"AB", "<AB<<"}, {"AB\r\nC D", "<AB\r\n<C D"}, {"5\r -", ">5\r< >"}};
    for (const auto& [typed, sent] : cases) {
        TxBuffer fresh{state, logger, ui};
        std::string got;
        for (const char* c = typed; *c; ++c) fresh.txBuffer(static_cast<std::uint8_t>(*c), TXB_ADD);
        for (const char* c = sent; *c; ++c) {
            const int code = fresh.txBuffer(0, TXB_NEXT_CODE);
            got += code == ltrs ? '<' : code == figs ? '>' : code == this->code(*c) ? *c : '?';
        }
        EXPECT_EQ(got, sent) << typed;
    }
}

TEST_F(TxBufferTest, EmptyRingWithEndRequestedSendsOneLtrsAndEnds) {
    buffer.txShift = kShiftFigures;
    state.txState = kTxEndRequested;
    EXPECT_EQ(buffer.txBuffer(0, TXB_NEXT_CODE), ltrs);
    EXPECT_EQ(state.txState, kTxClosing);
    EXPECT_EQ(buffer.txShift, kShiftUndetermined);
    EXPECT_TRUE(logger.posts().empty());
}

TEST_F(TxBufferTest, ThePenultimateSlotIsTheLastAcceptedAndTheNextCharacterIsLost) {
    buffer.txHead = buffer.txTail = 1234;  // fullness must not depend on where the ring stands
    for (int i = 0; i < kTxRingSize - 1; ++i) ASSERT_EQ(buffer.txBuffer('R', TXB_ADD), 0) << i;
    EXPECT_TRUE(ui.messageBoxes().empty());
    EXPECT_EQ(buffer.txBuffer('Y', TXB_ADD), kNoBaudotCode);
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_EQ(ui.messageBoxes()[0].text, "TX Keyboard Buffer Full\nCharacter lost");
    EXPECT_EQ(ui.messageBoxes()[0].flags, kMbIconInformation | kMbTopMost);
    EXPECT_EQ(buffer.lastAdded, 'Y');
    EXPECT_EQ(buffer.txHead, 1233);
    EXPECT_EQ(buffer.txBusy, 0);
    // Once the transmitter takes one, there is room again.
    EXPECT_EQ(buffer.txBuffer(0, TXB_TAKE_RAW), 'R');
    EXPECT_EQ(buffer.txBuffer('Y', TXB_ADD), 0);
}

TEST_F(TxBufferTest, ConcurrentWritersAndSenderLoseNothing) {
    constexpr int kPerWriter = 5000;
    std::vector<std::thread> writers;
    for (char c : std::string("ABCD"))
        writers.emplace_back([&, c] {
            for (int i = 0; i < kPerWriter; ++i)
                buffer.txBuffer(static_cast<std::uint8_t>(c), TXB_ADD);
        });
    int sent = 0;
    std::thread sender([&] {
        while (sent < 4 * kPerWriter)
            if (buffer.txBuffer(0, TXB_NEXT_CODE) != ltrs) ++sent;
    });
    for (auto& w : writers) w.join();
    sender.join();
    EXPECT_EQ(logger.values(TXM_CHAR).size(), 4u * kPerWriter);
    EXPECT_EQ(unsent(), "");
}

class TxWindowTest : public ::testing::Test {
  protected:
    // Delivers characters as messages, with what the window posts to itself handled after
    // the message that posted it, in order.
    void send(const std::string& text) {
        for (char c : text) {
            queue.push_back(static_cast<std::uint8_t>(c));
            while (!queue.empty()) {
                const std::uint8_t next = queue.front();
                queue.pop_front();
                window.handleCharacter(next);
            }
        }
    }
    std::string unsent() const { return unsentText(rig.buffer); }

    SoundRig rig;
    std::deque<std::uint8_t> queue;
    int fskStarts = 0, tinyStarts = 0, feederStarts = 0;
    TxWindow window{rig.state,
                    rig.buffer,
                    rig.output,
                    rig.ptt,
                    rig.logger,
                    {[this] { ++fskStarts; }, [this] { ++tinyStarts; }, [this] { ++feederStarts; },
                     [this](std::uint8_t c) { queue.push_back(c); }}};
};

TEST_F(TxWindowTest, KeysAreUpperCasedBackspaceDeletesAndHighCodesAreIgnored) {
    send("de k1abc\b\bXY");
    EXPECT_EQ(unsent(), "DE K1AXY");
    // Letters beyond ASCII whose low byte is Escape, Ctrl-T, Ctrl-V, "{" or "B".
    for (const std::uint64_t unit : {0xC1, 0x11B, 0x114, 0x116, 0x17B, 0x142}) {
        window.handleCharacter(unit);
    }
    window.handleCharacter(0x1'0000'0000'0042);  // only the UTF-16 unit is the character
    window.handleCharacter(0);
    EXPECT_EQ(unsent(), "DE K1AXYB");
    EXPECT_EQ(rig.state.txState.load(), kTxIdle);
    send("\x16");
    EXPECT_EQ(feederStarts, 1);
}

class SoundOutputTest : public ::testing::Test {
  protected:
    SoundRig rig;
};

// The driver's part while a new transmission waits: each sleep lets the buffer written
// first of those not yet played finish, as a device plays them in order.
class DriverClock : public FakeClock {
  public:
    SoundOutput* output = nullptr;
    FakePlaybackDevice* port = nullptr;
    std::size_t played = 0;
    void sleepMs(std::uint32_t ms) override {
        FakeClock::sleepMs(ms);
        const std::vector<int> written = port->writtenIndices();
        if (played < written.size())
            output->playbackCallback(PlaybackNotification::Done, written[played++]);
    }
};

TEST(SoundOutputBackToBack, ANewTransmissionWaitsForTheLastOnesBuffersAndDropsTheirCompletion) {
    SoundRig rig;
    DriverClock driver;
    SoundOutput output{rig.state, rig.generators, rig.port, driver};
    driver.output = &output;
    driver.port = &rig.port;
    rig.state.txState = kTxRequested;
    output.primePlayback();
    rig.state.txState = kTxIdle;  // that transmission ended while both buffers still play

    rig.state.txState = kTxRequested;  // the logger starts the next one at once
    output.primePlayback();
    EXPECT_EQ(rig.port.writtenIndices(), (std::vector<int>{0, 1, 0, 1}));
    EXPECT_EQ(driver.sleeps.size(), 2u);     // one wait for each buffer to come free
    EXPECT_EQ(output.refillCompleted(), 0);  // the old completions are not refilled
    EXPECT_EQ(rig.state.txState, kTxSending);

    output.playbackCallback(PlaybackNotification::Done, 0);  // the new preamble's own
    EXPECT_EQ(output.refillCompleted(), 1);
}

// A device that finishes the first preamble frame while the second is being written, as
// a busy machine may let it.
struct HastyDevice : FakePlaybackDevice {
    SoundOutput* output = nullptr;
    int writeBuffer(int index, std::span<const std::int16_t> stereo) override {
        const int result = FakePlaybackDevice::writeBuffer(index, stereo);
        if (index == 1) output->playbackCallback(PlaybackNotification::Done, 0);
        return result;
    }
};

TEST(SoundOutputBackToBack, APreambleFrameFinishedBeforeTheNextIsWrittenIsStillRefilled) {
    SoundRig rig;
    HastyDevice device;
    SoundOutput output{rig.state, rig.generators, device, rig.clock};
    device.output = &output;
    rig.state.txState = kTxRequested;
    output.primePlayback();
    EXPECT_EQ(output.refillCompleted(), 1);  // else the transmission stalls, keyed
}

TEST_F(SoundOutputTest, FinishedBuffersAreRefilledInTheOrderTheyFinish) {
    rig.type("TU");
    rig.state.txState = kTxRequested;
    rig.output.primePlayback();
    rig.output.playbackCallback(PlaybackNotification::Done, 0);
    EXPECT_EQ(rig.output.refillCompleted(), 1);
    rig.output.playbackCallback(PlaybackNotification::Done, 1);
    rig.output.playbackCallback(PlaybackNotification::Done, -1);  // no buffer of ours
    rig.output.playbackCallback(PlaybackNotification::Done, kPlaybackBuffers);
    rig.output.playbackCallback(PlaybackNotification::Done, 0);
    EXPECT_EQ(rig.output.refillCompleted(), 2);
    EXPECT_EQ(rig.output.refillCompleted(), 0);
    EXPECT_EQ(rig.port.writtenIndices(), (std::vector<int>{0, 1, 0, 1, 0}));
    EXPECT_EQ(rig.logger.values(TXM_CHAR), (std::vector<std::int64_t>{'T', 'U'}));
}

TEST_F(SoundOutputTest, ATransmissionPlaysPreambleTextClosingLtrsAndFadeThenFallsSilent) {
    OfflinePlayback device;
    SoundOutput output{rig.state, rig.generators, device, rig.clock};
    rig.type("73");
    rig.state.txState = kTxRequested;
    output.primePlayback();
    rig.state.txState = kTxEndRequested;
    device.playAll(output);
    // Preamble 2, FIGS 7 3, closing LTRS, fade: 7 frames; the buffer that finishes after
    // the fade is not queued again.
    EXPECT_EQ(device.played.size(), 7u * kStereoFrameValues);
    EXPECT_EQ(device.writes, 7);
    EXPECT_EQ(rig.state.txState, kTxIdle);
    EXPECT_EQ(rig.releaseStarts, 1);
    const auto tail = std::vector<std::int16_t>(device.played.end() - 2 * (kTxFrameSamples - 264),
                                                device.played.end());
    EXPECT_TRUE(std::all_of(tail.begin(), tail.end(), [](auto s) { return s == 0; }));
}

class PfskTest : public ::testing::Test {
  protected:
    std::vector<std::int16_t> frame() {
        TxFrame f;
        f.fill(1);
        pfsk.generatePfsk(f);
        return {f.begin(), f.end()};
    }
    static bool silent(const std::vector<std::int16_t>& f, int begin, int end) {
        return std::all_of(f.begin() + begin, f.begin() + end, [](auto s) { return s == 0; });
    }
    // A tone element restarts at phase 0: its samples are those of sin(n w) at full amplitude
    // (within the rounding of the accumulated phase).
    void expectToneFromPhaseZero(const std::vector<std::int16_t>& f, int begin, int count) {
        const double w = 2.0 * std::numbers::pi * 5000.0 / rig.state.sampleRate.load();
        for (int n = 0; n < count; ++n)
            ASSERT_NEAR(f[begin + n], std::trunc(32760.0 * std::sin(n * w)), 1.0) << begin + n;
    }

    TxRig rig;
    PfskGenerator pfsk{rig.links};
};

TEST_F(PfskTest, FirstCharacterFrameIsLtrsWithToneOnlyInTheStartElement) {
    rig.type("E");
    rig.state.txState = kTxRequested;
    frame();
    frame();
    const auto ltrs = frame();
    expectToneFromPhaseZero(ltrs, 0, kElementSamples);
    EXPECT_TRUE(silent(ltrs, kElementSamples, kTxFrameSamples));
    EXPECT_TRUE(rig.logger.posts().empty());  // not taken from the buffer, so no echo
    frame();                                  // the buffer's own shift: LTRS again
    const auto e = frame();
    EXPECT_EQ(rig.logger.values(TXM_CHAR), std::vector<std::int64_t>{'E'});
    // E is mark, space, space, space, space: tone in the start element and bits 1 to 4,
    // each element from phase 0; silence in bit 0 and the stop element.
    expectToneFromPhaseZero(e, 0, kElementSamples);
    EXPECT_TRUE(silent(e, 264, 528));
    for (int slot = 2; slot <= 5; ++slot) expectToneFromPhaseZero(e, slot * 264, 264);
    EXPECT_TRUE(silent(e, 6 * 264, kTxFrameSamples));
}

TEST(ComPorts, ListingKeepsExistingPortsInOrderFromTheFirstNumber) {
    FakeSerialPorts system;
    system.devices = {"COM0", "COM12", "COM3", "COM254", "COM255"};
    EXPECT_EQ(listComPorts(system, 0),
              (std::vector<std::string>{"COM0", "COM3", "COM12", "COM254"}));
    EXPECT_EQ(listComPorts(system, 1), (std::vector<std::string>{"COM3", "COM12", "COM254"}));
    EXPECT_EQ(system.probes.back(), "COM254");
}

TEST(ComPorts, ListingStopsAtThirtyTwoPorts) {
    FakeSerialPorts system;
    for (int n = 1; n <= 40; ++n) system.devices.insert("COM" + std::to_string(n));
    std::vector<std::string> names = listComPorts(system, 1);
    ASSERT_EQ(names.size(), 32u);
    EXPECT_EQ(names.back(), "COM32");
}

// Notes how many notifications the logger had when push-to-talk was released.
class OrderedPtt : public PttSwitch {
  public:
    explicit OrderedPtt(const RecordingLogger& logger) : logger_(logger) {}
    std::vector<bool> changes;
    std::size_t postsAtRelease = 0;
    void setPtt(bool on) override {
        changes.push_back(on);
        postsAtRelease = logger_.posts().size();
    }

  private:
    const RecordingLogger& logger_;
};

TEST(PttReleaseReporter, WaitsOneCharacterAndMarginThenReportsBeforeReleasing) {
    const struct {
        int baudIndex;
        std::uint32_t waitMs;
    } cases[] = {{0, 200}, {1, 185}, {2, 135}, {7, 200}, {-1, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.baudIndex);
        ModemState state;
        state.baudIndex = c.baudIndex;
        RecordingLogger logger;
        OrderedPtt ptt(logger);
        FakeClock clock;
        pttReleaseReporter(state, logger, ptt, clock);
        EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{c.waitMs}));
        EXPECT_EQ(logger.posts(), (std::vector<LoggerPost>{{TXM_PTTEVENT, 0}}));
        EXPECT_EQ(ptt.changes, (std::vector<bool>{false}));
        EXPECT_EQ(ptt.postsAtRelease, 1u);
    }
}

struct TestTextFeederTest : ::testing::Test {
    // What the buffer holds, taken out as stored.
    std::string typed() {
        std::string out;
        while (const std::uint8_t c = buffer.txBuffer(0, TXB_TAKE_RAW)) out += static_cast<char>(c);
        return out;
    }

    ScratchFolder folder;
    ModemState state;
    RecordingLogger logger;
    RecordingUi ui;
    TxBuffer buffer{state, logger, ui};
};

TEST_F(TestTextFeederTest, EveryByteOfTheFileIsTypedAcrossChunkEdges) {
    const std::string text = "CQ TEST DE DL5XYZ DL5XYZ K\nDL5XYZ 599 14 14\n";  // 44 bytes
    ScratchFolder::write(folder.file("calls.txt"), text);
    testTextFeeder(buffer, folder.file("calls.txt"));
    EXPECT_EQ(typed(), text);
}

TEST_F(TestTextFeederTest, AMissingOrEmptyFileTypesNothing) {
    testTextFeeder(buffer, folder.file("none.txt"));
    ScratchFolder::write(folder.file("empty.txt"), "");
    testTextFeeder(buffer, folder.file("empty.txt"));
    EXPECT_EQ(typed(), "");
    EXPECT_TRUE(ui.messageBoxes().empty());
}

}  // namespace
}  // namespace kestrel
