#include "frontend/afc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "app/status_texts.h"
#include "fakes/fake_logger_port.h"
#include "fakes/fake_ui_port.h"

namespace kestrel {
namespace {

// The AFC's offset update on filtered rings whose phase step at index d is set directly.
struct AfcFixture : ::testing::Test {
    void update(int p, double step) {
        auto& i = afc->filtered[2 * p];
        auto& q = afc->filtered[2 * p + 1];
        i[d - 1] = std::sin(0.4);
        q[d - 1] = std::cos(0.4);
        i[d] = std::sin(0.4 - step);
        q[d] = std::cos(0.4 - step);
        afc->afcUpdate(p, afc->filtered[2 * p], afc->filtered[2 * p + 1], d);
    }

    ModemState state;
    RecordingLogger logger;
    RecordingUi ui;
    StatusTexts statusTexts{ui};
    std::unique_ptr<Afc> afc = std::make_unique<Afc>(state, logger, statusTexts);
    int d = 5;
};

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

}  // namespace
}  // namespace kestrel
