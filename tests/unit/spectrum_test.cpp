#include "frontend/spectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "fakes/fake_ui_port.h"

namespace kestrel {
namespace {

struct SpectrumFixture : ::testing::Test {
    void tone(double hz, int samples) {
        for (int n = 0; n < samples; ++n, ++t) {
            spectrum->spectrumStep(10.0 *
                                   std::cos(2.0 * std::numbers::pi * hz * t / state.sampleRate));
        }
    }
    // The column of the trace's highest point (smallest y).
    int peakColumn(int width) const {
        int best = 0;
        for (int i = 1; i < width; ++i) {
            if (spectrum->spectrumPoints[i].y < spectrum->spectrumPoints[best].y) best = i;
        }
        return spectrum->spectrumPoints[best].x;
    }

    ModemState state;
    RecordingUi ui;
    std::unique_ptr<Spectrum> spectrum = std::make_unique<Spectrum>(state, ui);
    long t = 0;
};

TEST_F(SpectrumFixture, AToneShowsAtItsColumn) {
    for (int width : {115, 731}) {
        state.FFTDisplay = width;
        for (int bins : {-40, 23, 50}) {
            const double hz = 2210.0 + bins * spectrumBinWidth(12000);
            tone(hz, 8 * 1024);
            EXPECT_EQ(peakColumn(width), width / 2 + bins) << width << " " << bins;
        }
    }
}

TEST_F(SpectrumFixture, SuddenLoudToneIsHeldAtTheTopLine) {
    tone(2210.0, 16 * 1024);
    // The reference level lags: a much louder tone would be drawn above the strip.
    for (int n = 0; n < 2 * 1024; ++n, ++t) {
        spectrum->spectrumStep(1e6 * std::cos(2.0 * std::numbers::pi * 2210.0 * t / 12000.0));
    }
    int highest = 1000;
    for (const SpectrumPoint& p : spectrum->spectrumPoints) highest = std::min<int>(highest, p.y);
    EXPECT_EQ(highest, kSpectrumTopY);
    EXPECT_EQ(spectrum->spectrumPoints[115 - 57].y, kSpectrumTopY);
}

}  // namespace
}  // namespace kestrel
