#include "transmit/fsk_thread.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_clock_port.h"
#include "fakes/fake_logger_port.h"
#include "fakes/fake_priority_port.h"
#include "fakes/fake_serial_port.h"
#include "fakes/fake_ui_port.h"
#include "transmit/ptt_port.h"
#include "transmit/tx_buffer.h"

namespace kestrel {
namespace {

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
            rig.state.txState = 1;
            const std::int64_t start = speed.step;  // the first counter reading
            const std::int64_t frame = 7 * speed.ticks + speed.ticks / 2;
            rig.clock.at(start + 2 * frame + frame / 2, [&rig] { rig.state.txState = 4; });
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
            EXPECT_EQ(rig.state.txState.load(), 0);
            EXPECT_TRUE(rig.ui.messageBoxes().empty());
        }
    }
}

TEST(FskThread, SleepsThenSpinsWhenTheCounterReadsPastADeadline) {
    FskRig rig(0, 7, kKeyings[0]);  // readings land up to 6 ticks late
    rig.add("E");
    rig.state.txState = 1;
    rig.clock.at(2 * 1650000, [&rig] { rig.state.txState = 4; });
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
    rig.state.txState = 1;
    ComPttSwitch ptt(rig.ports, rig.state);
    const std::int64_t escape = 10000 + 2 * 1650000 + 500000;
    rig.clock.at(escape, [&] {
        rig.state.txState = 0;
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
    rig.state.txState = 4;
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

}  // namespace
}  // namespace kestrel
