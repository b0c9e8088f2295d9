#include "frontend/front_end.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "app/status_texts.h"
#include "fakes/fake_logger_port.h"
#include "fakes/fake_ui_port.h"
#include "support/fsk_source.h"

namespace kestrel {
namespace {

using testing::FskSource;

struct RecordingSink : DecodeDispatchSink {
    void decodeDispatch(int d, ToneFilterRings&) override { calls.push_back(d); }
    std::vector<int> calls;
};

struct FrontEndFixture : ::testing::Test {
    FrontEndFixture() { frontEnd->setDecodeSink(&sink); }

    void feed(const std::vector<double>& samples) {
        for (double x : samples) frontEnd->processSample(x);
    }
    void feedZeros(int n) {
        for (int k = 0; k < n; ++k) frontEnd->processSample(0.0);
    }

    ModemState state;
    RecordingLogger logger;
    RecordingUi ui;
    RecordingSink sink;
    StatusTexts statusTexts{ui};
    std::unique_ptr<FrontEnd> frontEnd = std::make_unique<FrontEnd>(state, logger, ui, statusTexts);
};

TEST_F(FrontEndFixture, ToneFiltersRunInBurstsOf2048Samples) {
    feedZeros(2047);
    EXPECT_TRUE(sink.calls.empty());
    feedZeros(1);
    ASSERT_EQ(sink.calls.size(), 512u);
    EXPECT_EQ(sink.calls.front(), 0);
    EXPECT_EQ(sink.calls.back(), 511);
    feedZeros(2 * 2048);
    ASSERT_EQ(sink.calls.size(), 1536u);
    EXPECT_EQ(sink.calls[1023], 1023);
    EXPECT_EQ(sink.calls[1024], 0);
}

TEST_F(FrontEndFixture, AfcSeesEverySampleTwiceAndTheSpectrumOnce) {
    feedZeros(2048);
    // 4096 AFC steps and 2048 spectrum steps at 2125 and 2210 Hz, 12000 samples/s.
    EXPECT_NEAR(frontEnd->afc.mixer.markPhase, std::fmod(4096 * 2125.0 / 12000.0, 1.0), 1e-9);
    EXPECT_NEAR(frontEnd->spectrum.centrePhase, std::fmod(2048 * 2210.0 / 12000.0, 1.0), 1e-9);
    EXPECT_NEAR(frontEnd->tones.mixer.markPhase, std::fmod(2048 * 2125.0 / 12000.0, 1.0), 1e-9);
}

TEST_F(FrontEndFixture, PauseHistoryIsWrittenOnlyWhilePauseIsOff) {
    for (int k = 1; k <= 10; ++k) frontEnd->processSample(k);
    state.pauseState = 2;
    frontEnd->processSample(99.0);  // the replay itself is not stored again
    const PauseHistory& history = frontEnd->pauseHistory;
    EXPECT_EQ(history.replaySample(PauseHistory::kReplayLength - 1), 10.0);
    EXPECT_EQ(history.replaySample(PauseHistory::kReplayLength - 10), 1.0);
    EXPECT_EQ(history.replaySample(PauseHistory::kReplayLength - 11), 0.0);
}

TEST(PauseHistory, ReplaysFromTheSecondOldestToTheNewest) {
    auto history = std::make_unique<PauseHistory>();
    for (int n = 0; n < kPauseHistoryLength + 5; ++n) history->store(n);
    // Samples 5 .. 720004 are kept; the replay starts at the second-oldest, 6.
    EXPECT_EQ(PauseHistory::kReplayLength, 719999);
    EXPECT_EQ(history->replaySample(0), 6.0);
    EXPECT_EQ(history->replaySample(PauseHistory::kReplayLength - 1), 720004.0);
    EXPECT_EQ(history->replaySample(719993), 719999.0);  // across the wrap
}

// Keyed signals for the AFC: random characters with both tones `error` Hz off.
std::vector<double> keyed(const ModemState& state, double error, int characters) {
    std::vector<double> samples;
    FskSource source(state.markFrequency + error, state.spaceFrequency + error, state.sampleRate,
                     20.0);
    source.characters(characters, samples);
    return samples;
}

struct AfcTracking : FrontEndFixture, ::testing::WithParamInterface<int> {};

TEST_P(AfcTracking, OffsetsFollowASignal10HzHighWhetherAfcIsOnOrOff) {
    state.afcOff = GetParam();
    feed(keyed(state, 10.0, 20));  // it settles within 15 characters
    EXPECT_NEAR(state.markOffset, -10.0, 1.5);
    EXPECT_NEAR(state.spaceOffset, -10.0, 1.5);
    const auto posts = logger.posts();
    ASSERT_GE(posts.size(), 2u);
    EXPECT_EQ(posts[posts.size() - 2].code, kAfcMarkReport);
    EXPECT_NEAR(static_cast<double>(posts[posts.size() - 2].value), 2135.0, 1.5);
    EXPECT_EQ(posts.back().code, kAfcSpaceReport);
    EXPECT_NEAR(static_cast<double>(posts.back().value), 2305.0, 1.5);
}

INSTANTIATE_TEST_SUITE_P(AfcOnAndOff, AfcTracking, ::testing::Values(0, 1));

std::vector<double> steadyCarrier(const ModemState& state, int samples) {
    std::vector<double> carrier;
    FskSource source(state.markFrequency + 10.0, 0.0, state.sampleRate, 20.0);
    source.element(true, samples, carrier);
    return carrier;
}

TEST_F(FrontEndFixture, SteadyCarrierGivesNoStartBitAndNoMeasurement) {
    for (int mode : {0, 2}) {
        state.Decodemode = mode;
        frontEnd = std::make_unique<FrontEnd>(state, logger, ui, statusTexts);
        feed(steadyCarrier(state, 20000));
        EXPECT_EQ(state.markOffset, 0.0) << mode;
        EXPECT_EQ(state.spaceOffset, 0.0) << mode;
        EXPECT_TRUE(logger.posts().empty()) << mode;
    }
}

// In "Selectiv" the AFC decides on the tones' levels, and the phase jump where each
// replayed batch joins on looks like a start bit; on the sample stream itself a steady
// carrier gives none.
TEST_F(FrontEndFixture, SteadyCarrierGivesNoStartBitToTheAfcInSelectiv) {
    state.Decodemode = 1;
    for (double x : steadyCarrier(state, 20000)) frontEnd->afc.afcStep(x);
    EXPECT_EQ(state.markOffset, 0.0);
    EXPECT_EQ(state.spaceOffset, 0.0);
    EXPECT_TRUE(logger.posts().empty());
}

TEST_F(FrontEndFixture, WhileTransmittingTheStatusBarIsLeftAlone) {
    state.txState = 3;
    feed(keyed(state, 0.0, 8));
    EXPECT_FALSE(logger.posts().empty());
    EXPECT_TRUE(ui.statusTexts().empty());
}

}  // namespace
}  // namespace kestrel
