#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <numeric>
#include <random>
#include <span>
#include <vector>

#include "app/status_texts.h"
#include "fakes/fakes.h"
#include "frontend/afc.h"
#include "frontend/decimation_low_pass.h"
#include "frontend/filter_design.h"
#include "frontend/fir.h"
#include "frontend/input_low_pass.h"
#include "frontend/mixer_phase.h"
#include "frontend/pause_history.h"
#include "frontend/spectrum.h"
#include "frontend/spectrum_view.h"

namespace kestrel {
namespace {

// The small DSP blocks against references written the plain way: direct convolution,
// direct summation of the frequency response, the library's cos and sin.
// |H| in dB at f, a fraction of the sample rate.
double gainDb(std::span<const double> taps, double f) {
    std::complex<double> sum;
    for (std::size_t k = 0; k < taps.size(); ++k)
        sum += taps[k] * std::polar(1.0, -2.0 * std::numbers::pi * f * static_cast<double>(k));
    return 20.0 * std::log10(std::abs(sum));
}

double worstDb(std::span<const double> taps, double from, double to) {
    double worst = -1e9;
    for (int s = 0; s <= 2000; ++s)
        worst = std::max(worst, gainDb(taps, from + (to - from) * s / 2000));
    return worst;
}

// Sum of taps[k] * x[newest - k]: tap 0 on the newest sample.
double convolveNewestFirst(std::span<const double> taps, const std::vector<double>& x, int newest) {
    double sum = 0.0;
    for (std::size_t k = 0; k < taps.size(); ++k)
        if (newest >= static_cast<int>(k)) sum += taps[k] * x[newest - k];
    return sum;
}

std::vector<double> noise(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<double> x(n);
    for (double& v : x) v = u(rng);
    return x;
}

// Every phase in a cycle (each table step, and the series on both sides of it) and
// negative ones, within a few rounding errors of the library's.
TEST(DspBlocks, MixerPhasorsAreTheCosineAndSineToDoublePrecision) {
    for (int i = -20011; i <= 20011; ++i) {
        const double cycles = i / 20011.0;
        const Phasor p = phasorOfCycles(cycles);
        EXPECT_NEAR(p.cos, std::cos(2.0 * std::numbers::pi * cycles), 2e-15) << cycles;
        EXPECT_NEAR(p.sin, std::sin(2.0 * std::numbers::pi * cycles), 2e-15) << cycles;
    }
}

TEST(DspBlocks, InputLowPassIsTheConvolutionWithItsTaps) {
    const auto x = noise(400, 6);
    InputLowPass filter;
    for (int n = 0; n < 400; ++n)
        EXPECT_NEAR(filter.inputLowPass(x[n]), convolveNewestFirst(inputLowPassFilter(), x, n),
                    1e-12)
            << n;
}

TEST(DspBlocks, DecimationLowPassIsTheConvolutionOfTheNewest128AcrossTheRingWrap) {
    const auto x = noise(kMixerRingSize + 300, 7);
    std::array<MirroredRing<kMixerRingSize>, 4> in;
    std::array<MirroredRing<64>, 4> out4;
    MirroredRing<64> outI, outQ;
    // Tap 127 sits on the newest sample, tap 0 on the oldest.
    std::vector<double> reversed(decimationTaps().rbegin(), decimationTaps().rend());
    for (int n = 0; n < static_cast<int>(x.size()); ++n) {
        const int slot = n % kMixerRingSize;
        for (int r = 0; r < 4; ++r) in[r].put(slot, (r + 1) * x[n]);
        if (n < kDecimationTaps || n % 37) continue;
        decimationLowPass(in[0], in[1], slot, outI, outQ, n % 64);
        decimationLowPass(in, slot, out4, n % 64);
        const double direct = convolveNewestFirst(reversed, x, n);
        EXPECT_NEAR(outI[n % 64], direct, 1e-12) << n;
        EXPECT_NEAR(outQ[n % 64], 2 * direct, 1e-12) << n;
        for (int r = 0; r < 4; ++r) EXPECT_NEAR(out4[r][n % 64], (r + 1) * direct, 1e-12) << n;
    }
}

// Every build sums in the same lanes: the vector paths give the portable sums' bits.
TEST(DspBlocks, FirSumsAreThePortableSumsBitForBit) {
    const auto taps = noise(128, 8), x = noise(512, 9);
    const double* const w[4] = {&x[0], &x[128], &x[256], &x[384]};
    double out[4], portable[4];
    firDot4(taps.data(), w, 128, out);
    firDot4Portable(taps.data(), w, 128, portable);
    for (int r = 0; r < 4; ++r)
        EXPECT_TRUE(out[r] == portable[r] &&
                    firDot(taps.data(), w[r], 128) == firDotPortable(taps.data(), w[r], 128));
}

// Each filter: unity gain at 0 Hz, symmetric about tap n/2, flat (after its x/sin x
// equalisation) across its pass band and far enough down beyond its stop edge.
TEST(DspBlocks, DesignedFiltersPassTheirBandAndStopBeyondIt) {
    const struct {
        const char* name;
        std::span<const double> taps;
        double rate, symbolRate, passTo, passTolerance, stopFrom, stopDb;
    } cases[] = {
        {"input", inputLowPassFilter(), 12000, 7000, 2400, 0.02, 4550, -70},
        {"alternative tone", alternativeToneFilter(), 3000, 1000.0 / 11, 6.8, 5e-4, 84.1, -55},
        {"standard tone", standardToneFilter(), 3000, 0, 0, 0, 500.0 / 11, -35},
        {"afc", afcFilter(), 3000, 0, 0, 0, 700.0 / 11, -30},
        {"decimation", decimationTaps(), 1, 0, 0.09, 0.004, 0.125, -86},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto& t = c.taps;
        const int n = static_cast<int>(t.size());
        if (c.rate > 1) {  // designed: symmetric about tap n/2 (tap 0 of an even n is spare)
            EXPECT_NEAR(std::accumulate(t.begin(), t.end(), 0.0), 1.0, 1e-12);
            for (int k = 1; k < n / 2; ++k) EXPECT_EQ(t[n / 2 - k], t[n / 2 + k]) << k;
        } else {  // the fixed decimation table: symmetric about its middle
            for (int k = 0; k < n; ++k) EXPECT_EQ(t[k], t[n - 1 - k]) << k;
        }
        for (int s = 1; s <= 24 && c.passTo > 0; ++s) {
            const double f = c.passTo * s / 24;
            const double x = std::numbers::pi * f / (c.symbolRate ? c.symbolRate : 1e300);
            const double eq = c.symbolRate ? x / std::sin(x) : 1.0;
            EXPECT_NEAR(std::pow(10.0, gainDb(t, f / c.rate) / 20) / eq, 1.0, c.passTolerance) << f;
        }
        EXPECT_LE(worstDb(t, c.stopFrom / c.rate, 0.5), c.stopDb);
    }
    // Half a baud out (45.45 baud at 3000/s) the standard tone filter is still open.
    EXPECT_GT(gainDb(standardToneFilter(), 22.7 / 3000), -6.0);
}

// The AFC's offset update, on rings made for one phase step: an offset moves unless it
// would leave 61 Hz or the two would sum beyond the shift plus 61 Hz; the average the
// transmitter follows is that of the two. The offsets are set again before each of the
// nine measurements, so that the last, the one checked, sees nine equal steps.
TEST(AfcOffsets, StayWithinTheirLimitsAndAverage) {
    const struct {
        double shift, mark, space, step, wantMark;
    } cases[] = {{170, 60.8, 0, 0.005, 60.95},
                 {170, 0, 0, 1.5, 0},
                 {0, 40, 30, 0.1, 40},
                 {0, 40, 21, 0.1, 46}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mark + c.space);
        ModemState state;
        RecordingLogger logger;
        RecordingUi ui;
        StatusTexts statusTexts{ui, logger};
        const auto afc = std::make_unique<Afc>(state, statusTexts);
        state.spaceFrequency = state.markFrequency + c.shift;
        std::array<double, kMixerRingSize> i{}, q{};
        i[4] = std::sin(0.4);
        q[4] = std::cos(0.4);
        i[5] = std::sin(0.4 - c.step);
        q[5] = std::cos(0.4 - c.step);
        for (int k = 0; k < 9; ++k) {
            state.markOffset = c.mark;
            state.spaceOffset = c.space;
            afc->afcUpdate(0, i, q, 5);
        }
        EXPECT_NEAR(state.markOffset, c.wantMark, 1e-9);
        EXPECT_NEAR(state.averageOffset, (c.wantMark + c.space) / 2, 1e-9);
    }
}

// The pause replays the minute before the click in the order it came, oldest first.
TEST(PauseHistory, ReplaysFromTheSecondOldestToTheNewest) {
    const auto history = std::make_unique<PauseHistory>();
    const int stored = kPauseHistoryLength + 5;
    for (int n = 0; n < stored; ++n) history->store(n);
    EXPECT_EQ(history->replaySample(0), stored - kPauseHistoryLength + 1);
    EXPECT_EQ(history->replaySample(PauseHistory::kReplayLength - 1), stored - 1);
}

// A much louder tone than the lagging reference level expects is held at the strip's top.
// Live, a frame is drawn every 1024 samples; while a file plays (much faster than the
// audio), one in 32.
TEST(SpectrumTrace, AToneShowsAtItsColumnAndASuddenLoudOneStaysInTheStrip) {
    ModemState state;
    RecordingUi ui;
    RecordingLogger logger;
    StatusTexts statusTexts{ui, logger};
    const auto spectrum = std::make_unique<Spectrum>(state, statusTexts);
    long t = 0;
    const auto tone = [&](int bins, int samples, double amplitude) {
        const double hz = 2210.0 + bins * spectrumBinWidth(12000);
        for (int n = 0; n < samples; ++n, ++t)
            spectrum->spectrumStep(amplitude * std::cos(2.0 * std::numbers::pi * hz * t / 12000));
    };
    const auto highest = [&](int width) -> const SpectrumPoint& {  // the smallest y
        const auto& points = spectrum->spectrumPoints;
        return *std::min_element(points.begin(), points.begin() + width,
                                 [](const auto& a, const auto& b) { return a.y < b.y; });
    };
    for (int width : {115, 731}) {
        state.FFTDisplay = width;
        for (int bins : {-40, 0, 23, 50}) {
            tone(bins, 8 * 1024, 10.0);
            EXPECT_EQ(highest(width).x, width / 2 + bins) << width << " " << bins;
        }
    }
    EXPECT_EQ(ui.repaints, 64);
    tone(50, 2 * 1024, 1e6);
    EXPECT_EQ(highest(kSpectrumPoints).y, kSpectrumTopY);
    state.wavPlaying = 1;
    ui.repaints = 0;
    tone(0, 64 * 1024, 10.0);
    EXPECT_EQ(ui.repaints, 2);
    // Each marker stands where the trace shows the tone the AFC hears: its own less its offset.
    state.markOffset = 30.0;
    state.spaceOffset = -45.0;
    const SpectrumGeometry g = spectrumGeometry(state, 731);
    const auto shown = [](int x) { return spectrumColumnFrequency(2125, 2295, 12000, 731, x); };
    EXPECT_NEAR(shown(g.leftMarker), 2125.0 - 30.0, 2 * spectrumBinWidth(12000));
    EXPECT_NEAR(shown(g.rightMarker), 2295.0 + 45.0, 2 * spectrumBinWidth(12000));
}

}  // namespace
}  // namespace kestrel
