#include "decode/framing.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "unit/framing_rig.h"
#include "unit/keyed_envelope.h"

namespace kestrel {
namespace {

using test::KeyedEnvelope;
constexpr std::uint32_t kTxmChar = 32771;
constexpr int kDecided = KeyedFramingRig::kDecided;

struct TraceRecorder : FramingTrace {
    void traceSample(const FramingTraceRow& row) override { rows.push_back(row); }
    std::vector<FramingTraceRow> rows;
};

struct FeedRecorder : RepeatMatchSink {
    static constexpr int kCharacter = 3;  // a character call among the bit calls
    struct Call {
        int kind, n;
        double value, threshold, floor;
    };
    void repeatMatchFeed(int kind, int n, double value, double threshold, double floor) override {
        calls.push_back({kind, n, value, threshold, floor});
    }
    void repeatMatchCharacter(int code, bool signalPresent) override {
        calls.push_back({kCharacter, code, signalPresent ? 1.0 : 0.0, 0.0, 0.0});
    }
    std::vector<int> codes() const {
        std::vector<int> out;
        for (const auto& c : calls) {
            if (c.kind == kCharacter) out.push_back(c.n);
        }
        return out;
    }
    std::vector<Call> calls;
};

// Everything the framing talks to, with the framing itself and a frame to drive it.
struct Rig : KeyedFramingRig {
    TraceRecorder trace;
    FeedRecorder feeds;

    Rig() {
        state.Contest = 0;
        state.Decodemode = 0;
        framing.trace = &trace;
        framing.repeatMatch = &feeds;
    }

    std::string received() const { return logger.textOf(kTxmChar); }

    // One sample whose every view (decoder and windows) is steady mark or space.
    void step(bool space) {
        frame.markEnv.fill(space ? 0.05 : 1.0);
        frame.spaceEnv.fill(space ? 1.0 : 0.05);
        decide(kDecided);
    }

    // The row of the call that moved bitClock from before to before + 1, and the state
    // that call left (the next row's "before" values).
    const FramingTraceRow& rowAfterClock(int clock) const {
        for (std::size_t k = 0; k + 1 < trace.rows.size(); ++k) {
            if (trace.rows[k].bitClock == clock - 1) return trace.rows[k + 1];
        }
        throw std::runtime_error("bitClock never reached");
    }
};

// A character built sample by sample: space from the start edge for the start bit and
// data (then mark), with single-sample changes at chosen clock values.
KeyedEnvelope characterWith(std::vector<int> markAtClocks, std::vector<int> spaceAtClocks,
                            int startLength = 396) {
    KeyedEnvelope e;
    e.idle(300);
    std::vector<bool> space(600, false);
    for (int b = 1; b <= startLength; ++b) space[b - 1] = true;
    for (int b : markAtClocks) space[b - 1] = false;
    for (int b : spaceAtClocks) space[b - 1] = true;
    for (bool s : space) e.element(!s, 1);
    e.idle(300);
    return e;
}

TEST(Framing, RepeatMatchGetsBothChannelsPerBitThenTheCharacter) {
    auto rig = std::make_unique<Rig>();
    KeyedEnvelope e;
    e.idle(300);
    e.character(21);  // Y: marks on bits 1, 3, 5
    e.idle(300);
    rig->run(e);
    const auto& calls = rig->feeds.calls;
    ASSERT_EQ(calls.size(), 11u);
    for (int n = 0; n < 5; ++n) {
        const bool mark = ((21 >> n) & 1) != 0;
        const auto& m = calls[2 * n];
        const auto& s = calls[2 * n + 1];
        EXPECT_EQ(m.kind, kRepeatMark);
        EXPECT_EQ(s.kind, kRepeatSpace);
        EXPECT_EQ(m.n, n);
        EXPECT_EQ(s.n, n);
        EXPECT_DOUBLE_EQ(m.value, mark ? e.on : e.off);  // thresholds are 0 here
        EXPECT_DOUBLE_EQ(s.value, mark ? e.off : e.on);
        EXPECT_DOUBLE_EQ(m.floor, kInitialFloor);
    }
    EXPECT_EQ(calls[10].kind, FeedRecorder::kCharacter);
    EXPECT_EQ(calls[10].n, 21);
}

TEST(Framing, DataBitsAreSampledAtTheirMiddles) {
    const int middles[] = {98, 164, 230, 296, 362};
    for (int n = 0; n < 5; ++n) {
        auto exact = std::make_unique<Rig>();
        exact->run(characterWith({middles[n]}, {}));
        EXPECT_EQ(exact->feeds.codes(), std::vector<int>{1 << n}) << "bit " << n + 1;

        auto beside = std::make_unique<Rig>();
        beside->run(characterWith({middles[n] - 1, middles[n] + 1}, {}));
        EXPECT_EQ(beside->feeds.codes(), std::vector<int>{0}) << "bit " << n + 1;
    }
}

TEST(Framing, StartIsConfirmedAtTheMiddleOfTheStartBit) {
    auto glitch = std::make_unique<Rig>();
    glitch->run(characterWith({}, {}, 31));
    EXPECT_TRUE(glitch->feeds.codes().empty());
    EXPECT_EQ(glitch->rowAfterClock(32).bitClock, 0);
    EXPECT_EQ(glitch->rowAfterClock(32).framingErrors, 12);

    auto start = std::make_unique<Rig>();
    start->run(characterWith({}, {}, 32));
    EXPECT_EQ(start->rowAfterClock(32).bitClock, 32);
    EXPECT_EQ(start->rowAfterClock(32).framingErrors, 9);
    EXPECT_EQ(start->feeds.codes(), std::vector<int>{31});

    // Marks before the middle each cost a point, as does a mark at 43.
    auto shaky = std::make_unique<Rig>();
    shaky->run(characterWith({5, 6, 43}, {}));
    EXPECT_EQ(shaky->rowAfterClock(31).framingErrors, 12);
    EXPECT_EQ(shaky->rowAfterClock(42).framingErrors, 11);
    EXPECT_EQ(shaky->rowAfterClock(43).framingErrors, 12);
}

TEST(Framing, StopChecksCostPointsButTheCharacterStands) {
    auto rig = std::make_unique<Rig>();
    rig->run(characterWith({98}, {428, 445}));
    EXPECT_EQ(rig->rowAfterClock(427).framingErrors, 9);
    EXPECT_EQ(rig->rowAfterClock(428).framingErrors, 10);
    EXPECT_EQ(rig->rowAfterClock(445).framingErrors, 12);
    EXPECT_EQ(rig->framing.stopSlotBad, 1);
    EXPECT_EQ(rig->received(), "E");
}

TEST(Framing, ManyErrorsEndTheCharacterAt448) {
    auto early = std::make_unique<Rig>();  // 10 at start, 9 after the start bit
    early->run(characterWith({}, {}));
    EXPECT_EQ(early->rowAfterClock(448).bitClock, 0);
    EXPECT_EQ(early->rowAfterClock(448).framingErrors, 6);

    auto full = std::make_unique<Rig>();
    full->framing.framingErrors = 9;  // 8 after the start bit: runs to P + 394
    full->run(characterWith({}, {}));
    EXPECT_EQ(full->rowAfterClock(448).bitClock, 448);
    EXPECT_EQ(full->rowAfterClock(492).bitClock, 492);
    EXPECT_EQ(full->rowAfterClock(493).bitClock, 0);  // P is 99 while no signal is present
}

TEST(Framing, StopLengthFollowsTheEstimate) {
    auto rig = std::make_unique<Rig>();
    const struct {
        int estimate, p;
    } cases[] = {{200, 60},  {146, 60}, {145, 133}, {130, 118}, {121, 109}, {120, 114},
                 {111, 105}, {110, 98}, {100, 98},  {93, 98},   {92, 82},   {75, 82},
                 {74, 60},   {59, 60},  {58, 95},   {50, 95}};
    for (const auto& c : cases) {
        rig->framing.stopEstimate = c.estimate;
        EXPECT_EQ(rig->framing.stopLength(), c.p) << "estimate " << c.estimate;
    }
}

// A steady stream of LTRS with 1.5 stop bits: 100 counted samples per stop period.
std::unique_ptr<Rig> ltrsStream(int sampleRate, double off) {
    auto rig = std::make_unique<Rig>();
    rig->state.sampleRate = sampleRate;
    KeyedEnvelope e;
    e.off = off;
    e.idle(300);
    for (int k = 0; k < 16; ++k) e.character(31);
    rig->run(e);
    return rig;
}

TEST(Framing, StatusShowsStopLengthInMillisecondsAndSnrInDecibels) {
    const struct {
        int rate;
        const char* stop;
    } rates[] = {{12000, "33mS "}, {13200, "30mS "}, {19800, "20mS "}};
    for (const auto& r : rates) {
        auto rig = ltrsStream(r.rate, 0.05);
        EXPECT_EQ(rig->ui.statusText(3), r.stop);
        EXPECT_EQ(rig->framing.stopEstimate, 99);
        EXPECT_EQ(rig->ui.statusText(1), "18 dB S/N");  // 20 log10(1 / 0.05) - 8
        EXPECT_EQ(rig->framing.signalPresent, 1);
    }
    // Without a signal the slots are held at 99: the estimate is 98.
    auto weak = ltrsStream(12000, 0.3);
    EXPECT_EQ(weak->ui.statusText(3), "32mS ");
    EXPECT_EQ(weak->ui.statusText(1), "02 dB S/N");  // 2.46 dB: not yet a signal
    EXPECT_EQ(weak->framing.signalPresent, 0);
}

TEST(Framing, LostSignalShowsTheCaption) {
    auto rig = std::make_unique<Rig>();
    rig->framing.markSnr.fill(-2000.0);
    rig->run(characterWith({98}, {}));
    EXPECT_EQ(rig->ui.statusText(1), "Sig to Noise");
}

TEST(Framing, ABadStopSlotPostsNoNewEstimate) {
    auto rig = std::make_unique<Rig>();
    KeyedEnvelope e;
    e.idle(300);
    e.element(false, 66);  // E with a space in the stop period at clock 445
    e.element(true, 66);
    e.element(false, 4 * 66);
    e.element(true, 48);
    e.element(false, 1);
    e.element(true, 50);
    e.character(1);
    e.character(1);
    e.idle(300);
    rig->run(e);
    EXPECT_EQ(rig->received(), "EEE");
    // Three starts, but the one that closes the bad slot posts no stop length.
    int stopTexts = 0;
    for (const auto& [part, text] : rig->ui.statusTexts()) stopTexts += part == 3;
    EXPECT_EQ(stopTexts, 2);
}

TEST(Framing, SquelchHoldsTheSevenNewestUntilASignalAppears) {
    auto rig = std::make_unique<Rig>();
    rig->state.SquelchState = 1;
    KeyedEnvelope e;
    e.off = 0.4;  // about 0 dB: no signal
    e.idle(300);
    e.text("ABCDEFGHIJ");
    e.off = 0.05;
    e.text("KLMNOP");
    e.idle(300);
    rig->run(e);
    // K and L arrive while the S/N is still climbing and are held too.
    EXPECT_EQ(rig->received(), "FGHIJKLMNOP");
}

TEST(Framing, APartFullHoldStaysAndNewlinesNeverEnterIt) {
    auto rig = std::make_unique<Rig>();
    rig->state.SquelchState = 1;
    KeyedEnvelope e;
    e.off = 0.4;
    e.idle(300);
    e.text("A\nBC");
    e.off = 0.05;
    e.text("KLMNOP");
    e.idle(300);
    rig->run(e);
    EXPECT_EQ(rig->received(), "MNOP");
    const std::array<char16_t, 7> hold{0, 0, u'A', u'B', u'C', u'K', u'L'};
    EXPECT_EQ(rig->framing.squelchHold, hold);
}

TEST(Framing, NewSignalAfterIdleStartsANewLineInLetters) {
    for (int newline = 0; newline <= 1; ++newline) {
        auto rig = std::make_unique<Rig>();
        rig->state.NewsigNewline = newline;
        KeyedEnvelope e;
        e.idle(300);
        e.text("RY 5");  // ends in figures case
        e.idle(700);
        e.character(1);  // E in letters, 3 in figures
        e.character(1);
        e.idle(300);
        rig->run(e);
        EXPECT_EQ(rig->received(), newline ? "RY 5\nEE" : "RY 533");
        // The S/N figures restart from 10 dB and climb towards 18 again.
        std::vector<std::string> snr;
        for (const auto& [part, text] : rig->ui.statusTexts()) {
            if (part == 1) snr.push_back(text);
        }
        ASSERT_GE(snr.size(), 2u);
        EXPECT_EQ(snr[snr.size() - 2], "10 dB S/N");
        EXPECT_EQ(snr.back(), "11 dB S/N");
    }
}

TEST(Framing, IdleIsSeenAt475AfterTheSpacePenalty) {
    auto rig = std::make_unique<Rig>();
    rig->state.NewsigNewline = 1;
    rig->framing.squelchHold = {u'A', u'B', u'C', u'D', u'E', u'F', u'G'};
    rig->framing.idleRun = 489;  // a space takes 15 off: 474
    rig->step(true);
    EXPECT_EQ(rig->received(), "");
    EXPECT_EQ(rig->framing.idleRun, 474);

    rig->framing.idleRun = 474;
    rig->framing.bitClock = 200;
    rig->step(false);  // 475 on mark: back to hunting, estimate reset
    EXPECT_EQ(rig->framing.bitClock, 0);
    EXPECT_EQ(rig->framing.stopEstimate, 98);
    // Every slot is reset to 98; the current one then counts this idle sample.
    EXPECT_EQ(rig->framing.stopSlots, (std::array<int, 6>{99, 98, 98, 98, 98, 98}));
    EXPECT_EQ(rig->received(), "");

    rig->framing.idleRun = 490;
    rig->step(true);
    EXPECT_EQ(rig->received(), "\n");
    EXPECT_EQ(rig->framing.idleRun, 0);
    EXPECT_EQ(rig->framing.markSnr.values[3], 10.0);
    const std::array<char16_t, 7> hold{u'A', 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(rig->framing.squelchHold, hold);
}

TEST(Framing, TraceSeesEachSampleAsTheFramingReceivesIt) {
    auto rig = std::make_unique<Rig>();
    KeyedEnvelope e;
    e.ripple = 0.02;
    e.idle(300);
    e.text("E");
    e.idle(200);
    rig->run(e);
    const auto& rows = rig->trace.rows;
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(e.size()));
    for (int t = 0; t < e.size(); ++t) {
        EXPECT_EQ(rows[t].n, t);
        EXPECT_EQ(rows[t].markEnv, e.mark[t]);
        EXPECT_EQ(rows[t].spaceEnv, e.space[t]);
        EXPECT_EQ(rows[t].powerDiff, e.mark[t] * e.mark[t] - e.space[t] * e.space[t]);
        EXPECT_EQ(rows[t].rawSpace, rows[t].powerDiff < 0.0);
        EXPECT_EQ(rows[t].decidedSpace, rows[t].rawSpace);  // framingErrors stays >= 8
    }
    EXPECT_EQ(rows[0].framingErrors, 10);
    EXPECT_EQ(rows[300].bitClock, 0);  // the start edge: decided here
    EXPECT_EQ(rows[301].bitClock, 1);
}

TEST(Framing, CleanCharactersDecodeAndSaveTextWritesEachAndFlushesAfterSpaces) {
    auto rig = std::make_unique<Rig>();
    rig->state.saveTextActive = 1;
    KeyedEnvelope e;
    e.idle(300);
    e.text("RYRY CQ DE K1ABC 599 TU/73");
    e.idle(300);
    rig->run(e);
    EXPECT_EQ(rig->textFile.written, "RYRY CQ DE K1ABC 599 TU/73");
    EXPECT_EQ(rig->textFile.flushedAt, (std::vector<std::size_t>{5, 8, 11, 17, 21}));

    auto off = std::make_unique<Rig>();
    off->run(e);
    EXPECT_EQ(off->textFile.written, "");
    EXPECT_EQ(off->received(), "RYRY CQ DE K1ABC 599 TU/73");
}

}  // namespace
}  // namespace kestrel
