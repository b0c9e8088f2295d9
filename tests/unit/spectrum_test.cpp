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

TEST(SpectrumScale, OneBinIsAQuarterOfTheRateOver810) {
    EXPECT_NEAR(spectrumBinWidth(12000), 3.7037, 1e-4);
    EXPECT_NEAR(spectrumBinWidth(13200), 4.0741, 1e-4);
    EXPECT_NEAR(spectrumBinWidth(19800), 6.1111, 1e-4);
    // Column W/2 shows the centre between the tones; frequency grows to the right.
    EXPECT_DOUBLE_EQ(spectrumColumnFrequency(2125, 2295, 12000, 115, 57), 2210.0);
    EXPECT_DOUBLE_EQ(spectrumColumnFrequency(2125, 2295, 12000, 116, 116),
                     2210.0 + 58 * 12000.0 / 3240.0);
    EXPECT_DOUBLE_EQ(spectrumColumnFrequency(2125, 2295, 12000, 116, 1),
                     2210.0 - 57 * 12000.0 / 3240.0);
}

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

TEST_F(SpectrumFixture, TraceCoversColumnsOneToWidth) {
    state.FFTDisplay = 116;
    tone(2210.0, 4 * 1024);
    for (int i = 0; i < 116; ++i) EXPECT_EQ(spectrum->spectrumPoints[i].x, 116 - i);
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

TEST_F(SpectrumFixture, SilenceGivesAFlatTraceAtTheBottom) {
    for (int n = 0; n < 8 * 1024; ++n) spectrum->spectrumStep(0.0);
    const int y = spectrum->spectrumPoints[0].y;
    EXPECT_GT(y, kSpectrumHeight);
    for (int i = 0; i < 115; ++i) EXPECT_EQ(spectrum->spectrumPoints[i].y, y);
}

TEST_F(SpectrumFixture, OneFramePer1024SamplesAndOneIn32WhileAWavFilePlays) {
    // The first frame falls on decimated sample 1, the fifth input sample.
    tone(2210.0, 4);
    EXPECT_EQ(ui.repaints(), 0);
    tone(2210.0, 1);
    EXPECT_EQ(ui.repaints(), 1);
    tone(2210.0, 10 * 1024);
    EXPECT_EQ(ui.repaints(), 11);

    state.wavPlaying = 1;
    tone(2210.0, 64 * 1024);
    EXPECT_EQ(ui.repaints(), 13);
    state.wavPlaying = 0;
    tone(2210.0, 1024);
    EXPECT_EQ(ui.repaints(), 14);
}

}  // namespace
}  // namespace kestrel
