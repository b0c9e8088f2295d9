#include "frontend/afc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/status_texts.h"
#include "fakes/fake_logger_port.h"
#include "fakes/fake_ui_port.h"

namespace kestrel {
namespace {

struct AfcRig {
    struct Measurement {
        int count;  // afcCount when it was taken (1 on the first space sample)
        bool mark;
        bool operator==(const Measurement&) const = default;
    };

    // Runs the character state machine on a string of decisions ('s': pair 1 stronger,
    // 'm': pair 0 stronger) and lists the measurements it takes. The filtered rings are
    // zero, so every measured phase step is 0 and the offsets stay put.
    std::vector<Measurement> run(const std::string& decisions) {
        std::vector<Measurement> taken;
        for (char c : decisions) {
            const int markBefore = afc->markSteps.index;
            const int spaceBefore = afc->spaceSteps.index;
            const int count = afc->afcCount + 1;
            afc->afcCharacterStep(c == 's', d);
            d = (d + 1) % kMixerRingSize;
            if (afc->markSteps.index != markBefore) taken.push_back({count, true});
            if (afc->spaceSteps.index != spaceBefore) taken.push_back({count, false});
        }
        return taken;
    }

    // Sets the filtered rings of pair p so that the phase step at d is `step`.
    void presentStep(int p, double step) {
        auto& i = afc->filtered[2 * p];
        auto& q = afc->filtered[2 * p + 1];
        i[d - 1] = std::sin(0.4);
        q[d - 1] = std::cos(0.4);
        i[d] = std::sin(0.4 - step);
        q[d] = std::cos(0.4 - step);
    }
    void update(int p, double step) {
        presentStep(p, step);
        afc->afcUpdate(p, afc->filtered[2 * p], afc->filtered[2 * p + 1], d);
    }

    ModemState state;
    RecordingLogger logger;
    RecordingUi ui;
    StatusTexts statusTexts{ui};
    std::unique_ptr<Afc> afc = std::make_unique<Afc>(state, logger, statusTexts);
    int d = 5;
};

struct AfcFixture : ::testing::Test, AfcRig {};

// Runs of decisions, e.g. {{'s', 33}, {'m', 20}}.
std::string runs(std::initializer_list<std::pair<char, int>> parts) {
    std::string decisions;
    for (const auto& [c, n] : parts) decisions.append(static_cast<std::size_t>(n), c);
    return decisions;
}

TEST_F(AfcFixture, MeasuresAtTheMiddleOfEveryBitOfASpaceCharacter) {
    const auto taken = run(runs({{'s', 470}}));
    const std::vector<Measurement> expected = {{33, false},  {99, false},  {165, false},
                                               {231, false}, {297, false}, {363, false}};
    EXPECT_EQ(taken, expected);   // at 441 the space tone is present: no measurement
    EXPECT_EQ(afc->afcCount, 0);  // 470 ends the character
    run("s");
    EXPECT_EQ(afc->afcCount, 1);  // the next space starts the next one
}

TEST_F(AfcFixture, MarkBitsAndTheStopBitMeasureTheMarkTone) {
    const auto taken = run(runs({{'s', 33}, {'m', 437}}));
    const std::vector<Measurement> expected = {{33, false}, {99, true},  {165, true}, {231, true},
                                               {297, true}, {363, true}, {441, true}};
    EXPECT_EQ(taken, expected);
}

TEST_F(AfcFixture, ReportsTheCorrectedTonesAndTheMeanOffsetAt441) {
    state.markOffset = -5.0;
    state.spaceOffset = -6.0;
    run(runs({{'s', 440}}));
    EXPECT_TRUE(logger.posts().empty());
    EXPECT_TRUE(ui.statusTexts().empty());
    run("s");
    // The updates at the bit middles set averageOffset to -5.5.
    const std::vector<LoggerPost> expected = {{kAfcMarkReport, 2130}, {kAfcSpaceReport, 2300}};
    EXPECT_EQ(logger.posts(), expected);
    ASSERT_EQ(ui.statusTexts().size(), 1u);
    EXPECT_EQ(ui.statusTexts()[0].id, 0);
    EXPECT_EQ(ui.statusTexts()[0].text, " -05Hz");
    EXPECT_EQ(afc->afcCount, 441);
}

TEST_F(AfcFixture, StatusTextShowsTwoDigitsInThreeColumns) {
    state.markOffset = 12.7;
    state.spaceOffset = 13.9;
    run(runs({{'s', 441}}));
    ASSERT_EQ(ui.statusTexts().size(), 1u);
    EXPECT_EQ(ui.statusTexts()[0].text, "  13Hz");
}

TEST_F(AfcFixture, WhileTransmittingReportsButLeavesTheStatusBarAlone) {
    state.txState = 3;
    run(runs({{'s', 441}}));
    EXPECT_EQ(logger.posts().size(), 2u);
    EXPECT_TRUE(ui.statusTexts().empty());
    EXPECT_EQ(afc->afcCount, 0);  // the character ends at 441
}

TEST(AfcStartBit, NinthMarkSampleOrAMarkAtItsMiddleRejectsIt) {
    struct Case {
        std::string decisions;
        int count, markRun;
        std::size_t measurements;
    };
    const Case cases[] = {
        {runs({{'s', 1}, {'m', 8}, {'s', 24}}), 33, 0, 1},  // eight mark samples are tolerated
        {runs({{'s', 1}, {'m', 8}}), 9, 8, 0},
        {runs({{'s', 1}, {'m', 9}}), 0, 0, 0},
        {runs({{'s', 32}, {'m', 1}}), 0, 0, 0},
        {runs({{'s', 33}, {'m', 20}}), 53, 0, 1},  // marks after the start bit do not count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        AfcRig rig;
        EXPECT_EQ(rig.run(c.decisions).size(), c.measurements);
        EXPECT_EQ(rig.afc->afcCount, c.count);
        EXPECT_EQ(rig.afc->afcMarkRun, c.markRun);
    }
}

TEST_F(AfcFixture, StepIsScaledByItsSize) {
    struct Case {
        double step;
        double change;  // Hz
    };
    // |m| above 0.5: 5m, 0.25: 3m, 0.05: 2m, 0.03: 1.5m, 0.01: 0.5m, else m; times 30.
    const Case cases[] = {{0.6, 90.0}, {-0.3, -27.0}, {0.1, 6.0},
                          {0.04, 1.8}, {-0.02, -0.3}, {0.005, 0.15}};
    for (const Case c : cases) {
        afc->markSteps.steps.fill(c.step);
        const double start = c.change > 61.0 ? -40.0 : 0.0;
        state.markOffset = start;
        update(0, c.step);
        EXPECT_NEAR(state.markOffset - start, c.change, 1e-9) << c.step;
    }
}

TEST_F(AfcFixture, TrimmedMeanDropsTheLargestAndSmallestStep) {
    afc->spaceSteps.steps = {0.0, 3.0, -3.0, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1};
    afc->spaceSteps.index = 0;
    update(1, 0.1);
    EXPECT_NEAR(state.spaceOffset, 6.0, 1e-9);
    EXPECT_EQ(afc->spaceSteps.index, 1);
}

TEST_F(AfcFixture, OffsetNeverLeaves61Hz) {
    afc->markSteps.steps.fill(0.005);  // +0.15 Hz per measurement
    state.markOffset = 60.8;
    update(0, 0.005);
    EXPECT_NEAR(state.markOffset, 60.95, 1e-9);
    update(0, 0.005);  // 61.1 would be beyond: the offset keeps its value
    EXPECT_NEAR(state.markOffset, 60.95, 1e-9);

    afc->markSteps.steps.fill(1.5);  // 10 m: 450 Hz
    state.markOffset = 0.0;
    update(0, 1.5);
    EXPECT_EQ(state.markOffset, 0.0);
}

TEST_F(AfcFixture, OffsetsSummingBeyondTheShiftPlus61AreHeld) {
    state.markFrequency = 1000.0;
    state.spaceFrequency = 1000.0;
    afc->markSteps.steps.fill(0.1);
    state.markOffset = 40.0;
    state.spaceOffset = 30.0;  // |sum| 70 > 0 + 61
    update(0, 0.1);
    EXPECT_EQ(state.markOffset, 40.0);
    EXPECT_EQ(state.averageOffset, 35.0);  // recomputed all the same
    state.spaceOffset = 21.0;              // 61: allowed
    update(0, 0.1);
    EXPECT_NEAR(state.markOffset, 46.0, 1e-9);
}

TEST_F(AfcFixture, ReversedReceiveMeasuresTheMarkToneOnPair1) {
    state.rxReverse = 1;
    afc->markSteps.steps.fill(0.1);
    afc->spaceSteps.steps.fill(0.1);
    update(1, 0.1);
    EXPECT_NEAR(state.markOffset, 6.0, 1e-9);
    EXPECT_EQ(state.spaceOffset, 0.0);
    update(0, 0.1);
    EXPECT_NEAR(state.spaceOffset, 6.0, 1e-9);
    EXPECT_NEAR(state.averageOffset, 6.0, 1e-9);
}

TEST_F(AfcFixture, LevelsFollowPeakAndFloorOfThe253NewestMagnitudes) {
    const int at = 100;
    for (int k = 0; k < 253; ++k) {
        const int index = (at - k + kMixerRingSize) % kMixerRingSize;  // wraps below 0
        afc->magnitude[0].put(index, k == 7 ? 2.0 : (k == 252 ? 1.0 : 1.5));
        afc->magnitude[1].put(index, k == 200 ? 4.0 : (k == 0 ? 2.0 : 3.0));
    }
    // Just outside the span: never seen.
    afc->magnitude[0].put((at - 253 + kMixerRingSize) % kMixerRingSize, 50.0);
    afc->magnitude[1].put((at - 253 + kMixerRingSize) % kMixerRingSize, 0.0);

    afc->refreshLevels(at);
    EXPECT_NEAR(afc->level[0], (0.97 * 2.0 + 1.0) / 2.0 / 2.0, 1e-12);
    EXPECT_NEAR(afc->level[1], (4.0 + 2.0) / 2.0 / 2.0, 1e-12);
    afc->refreshLevels(at);
    EXPECT_NEAR(afc->level[0], (1.47 + 0.735) / 2.0, 1e-12);
    EXPECT_NEAR(afc->level[1], (3.0 + 0.97 * 1.5) / 2.0, 1e-12);
}

TEST_F(AfcFixture, SelectivDecidesOnLevelsOtherModesOnMagnitudes) {
    afc->magnitude[0].put(d, 1.0);
    afc->magnitude[1].put(d, 1.2);
    afc->level = {0.2, 0.9};
    state.Decodemode = 0;
    EXPECT_TRUE(afc->pair1Stronger(d));
    state.Decodemode = 2;
    EXPECT_TRUE(afc->pair1Stronger(d));
    state.Decodemode = 1;  // 0.8 above its level beats 0.3 above
    EXPECT_FALSE(afc->pair1Stronger(d));
    afc->level = {1.3, 0.9};  // below its level now: e·|e| is negative
    EXPECT_TRUE(afc->pair1Stronger(d));
}

}  // namespace
}  // namespace kestrel
