#include "frontend/tone_front.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace kestrel {
namespace {

struct RecordingSink : DecodeDispatchSink {
    void decodeDispatch(int d, ToneFilterRings& rings) override {
        calls.push_back(d);
        lastRings = &rings;
    }
    std::vector<int> calls;
    ToneFilterRings* lastRings = nullptr;
};

struct ToneFrontFixture : ::testing::Test {
    ToneFrontFixture() { front->sink = &sink; }

    // A tone of amplitude 2 at `hz`, continuing in phase from call to call.
    void tone(double hz, int samples) {
        for (int n = 0; n < samples; ++n, ++t) {
            front->toneFront(2.0 * std::cos(2.0 * std::numbers::pi * hz * t / state.sampleRate));
        }
    }
    double markLevel(int d) const {
        return std::hypot(front->rings.markI[d], front->rings.markQ[d]);
    }
    double spaceLevel(int d) const {
        return std::hypot(front->rings.spaceI[d], front->rings.spaceQ[d]);
    }
    int newest() const { return sink.calls.back(); }

    ModemState state;
    RecordingSink sink;
    std::unique_ptr<ToneFront> front = std::make_unique<ToneFront>(state);
    long t = 0;
};

// The mixer halves the tone; the decimation table has a gain of 1.003981 and the tone
// filter unity gain at its centre.
constexpr double kGainAtTone = 0.5 * 1.003981;

TEST_F(ToneFrontFixture, OneRingEntryPerFourSamplesWithIndicesWrappingAt1024) {
    front->toneFront(0.0);
    ASSERT_EQ(sink.calls.size(), 1u);  // the first sample already decimates (j = 0)
    for (int n = 1; n < 4; ++n) front->toneFront(0.0);
    EXPECT_EQ(sink.calls.size(), 1u);
    for (int n = 4; n < 4 * 1030; ++n) front->toneFront(0.0);
    ASSERT_EQ(sink.calls.size(), 1030u);
    for (int k = 0; k < 1030; ++k) ASSERT_EQ(sink.calls[k], k % 1024) << k;
    EXPECT_EQ(sink.lastRings, &front->rings);
}

TEST_F(ToneFrontFixture, ToneAtMarkGivesUnityGainOnMarkAndLittleOnSpace) {
    for (int rate : {12000, 13200, 19800}) {
        state.sampleRate = rate;
        tone(state.markFrequency, 12000);
        EXPECT_NEAR(markLevel(newest()), 2.0 * kGainAtTone, 1e-4) << rate;
        EXPECT_LT(spaceLevel(newest()), 1e-3 * markLevel(newest())) << rate;
    }
}

TEST_F(ToneFrontFixture, ReversedReceiveCarriesTheMarkToneOnTheSecondPair) {
    state.rxReverse = 1;
    tone(state.markFrequency, 12000);
    EXPECT_NEAR(spaceLevel(newest()), 2.0 * kGainAtTone, 1e-4);
    EXPECT_LT(markLevel(newest()), 1e-3 * spaceLevel(newest()));
}

// The phase of the mark output turns at the difference between the tone and the mixer.
double phaseTurnPerDecimatedSample(ToneFrontFixture& f) {
    f.tone(f.state.markFrequency, 8000);
    const int d = f.newest();
    const int before = (d + 1024 - 100) % 1024;
    double turn = std::atan2(f.front->rings.markQ[d], f.front->rings.markI[d]) -
                  std::atan2(f.front->rings.markQ[before], f.front->rings.markI[before]);
    turn = std::remainder(turn, 2.0 * std::numbers::pi);
    return turn / 100.0;
}

TEST_F(ToneFrontFixture, WithAfcOnTheMixersRunAtToneMinusOffsetAndWithAfcOffAtTheTone) {
    state.markOffset = 3.0;
    state.spaceOffset = -7.0;
    state.afcOff = 1;
    EXPECT_NEAR(phaseTurnPerDecimatedSample(*this), 0.0, 1e-6);
    state.afcOff = 0;
    // The mixer sits 3 Hz below the tone: the output turns 3 Hz at 3000 samples/s.
    EXPECT_NEAR(std::fabs(phaseTurnPerDecimatedSample(*this)),
                2.0 * std::numbers::pi * 3.0 / 3000.0, 1e-5);
}

TEST_F(ToneFrontFixture, ModeChangeSwitchesTheFilterFromTheNextDecimatedSample) {
    // Three front ends on the same input: Selectiv throughout, Spread throughout, and one
    // switched to Spread part way.
    ModemState spreadState;
    spreadState.Decodemode = 2;
    ModemState switchedState;
    auto spread = std::make_unique<ToneFront>(spreadState);
    auto switched = std::make_unique<ToneFront>(switchedState);
    const int switchAt = 4 * 700 + 2;  // between decimated samples 700 and 701
    for (int n = 0; n < 4 * 800; ++n) {
        const double x = std::cos(0.37 * n) + 0.5 * std::sin(0.011 * n * n / 100.0);
        if (n == switchAt) switchedState.Decodemode = 2;
        front->toneFront(x);
        spread->toneFront(x);
        switched->toneFront(x);
    }
    for (int d = 0; d < 800; ++d) {
        const ToneFront& expected = d <= 700 ? *front : *spread;
        ASSERT_EQ(switched->rings.markI[d], expected.rings.markI[d]) << d;
        ASSERT_EQ(switched->rings.spaceQ[d], expected.rings.spaceQ[d]) << d;
    }
    EXPECT_NE(front->rings.markI[750], spread->rings.markI[750]);
}

}  // namespace
}  // namespace kestrel
