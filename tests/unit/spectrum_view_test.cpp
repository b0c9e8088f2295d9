#include "frontend/spectrum_view.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

// 2125/2295 Hz at 45.45 baud: n = trunc(85 · 3240 / 12000) + 1 = 23.
TEST(SpectrumGeometry, ToneLinesStandHalfTheShiftFromTheCentre) {
    ModemState state;
    for (int width : {115, 731}) {
        const SpectrumGeometry g = spectrumGeometry(state, width);
        EXPECT_EQ(g.centre, width / 2);
        EXPECT_EQ(g.halfShift, 23);
        EXPECT_EQ(g.leftLine, width / 2 - 23);
        EXPECT_EQ(g.rightLine, width / 2 + 23);
        EXPECT_EQ(g.leftMarker, g.leftLine);
        EXPECT_EQ(g.rightMarker, g.rightLine);
    }
    // At 75 baud a bin is 6.11 Hz: trunc(85 / 6.111) + 1 = 14, whichever tone is higher.
    state.sampleRate = 19800;
    state.markFrequency = 2295.0;
    state.spaceFrequency = 2125.0;
    EXPECT_EQ(spectrumGeometry(state, 115).halfShift, 14);
}

TEST(SpectrumGeometry, AfcMarkersMoveWithTheOffsetsTruncatedToWholeBins) {
    ModemState state;
    state.markOffset = -10.0;  // the tone is 10 Hz high: 2.7 bins, drawn 2 to the right
    state.spaceOffset = 4.0;   // 1.08 bins: 1 to the left
    const SpectrumGeometry g = spectrumGeometry(state, 115);
    EXPECT_EQ(g.leftMarker, g.leftLine + 2);
    EXPECT_EQ(g.rightMarker, g.rightLine - 1);
}

TEST(SpectrumPaint, BackgroundLeavesTheLinesAndMarkersFollowClicksAndAfc) {
    ModemState state;
    state.FFTDisplay = 731;
    SpectrumView view(state);
    SpectrumPaint p = spectrumPaint(state, view);  // lines at 342 and 388
    EXPECT_EQ(p.background[0].right, 342);
    EXPECT_EQ(p.background[1].left, 343);
    EXPECT_EQ(p.background[1].right, 388);
    EXPECT_EQ(p.background[2].left, 389);
    EXPECT_EQ(p.background[2].right, 731);
    EXPECT_TRUE(p.leftMarkerShown && p.rightMarkerShown);
    EXPECT_FALSE(p.markersWhite);

    view.markerSelect = 1;
    state.afcOff = 1;
    p = spectrumPaint(state, view);
    EXPECT_FALSE(p.leftMarkerShown);
    EXPECT_TRUE(p.rightMarkerShown);
    EXPECT_TRUE(p.markersWhite);
}

// W = 115: c = 57, n = 23, h = 11, L = 46, R = 68. Left tone zone 23 < x < 46, right
// tone zone 68 < x < 91, between 46 < x < 68.
struct SpectrumClicks : ::testing::Test {
    SpectrumClickResult click(int x) { return spectrumLeftClick(view, state, x); }
    ModemState state;
    SpectrumView view{state};
};

TEST_F(SpectrumClicks, ToneZonesForceSelectivAndBetweenRestores) {
    state.Decodemode = 2;
    view = SpectrumView(state);
    auto r = click(45);
    EXPECT_EQ(r.action, SpectrumClick::selectLeftTone);
    EXPECT_EQ(r.modeButtonText, "Selectiv");
    EXPECT_EQ(state.Decodemode, 1);
    EXPECT_EQ(view.markerSelect, 1);

    r = click(69);  // a second tone click keeps the mode saved by the first
    EXPECT_EQ(r.action, SpectrumClick::selectRightTone);
    EXPECT_EQ(view.markerSelect, 2);
    EXPECT_EQ(view.savedDecodeMode, 2);

    r = click(57);
    EXPECT_EQ(r.action, SpectrumClick::restoreMode);
    EXPECT_EQ(r.modeButtonText, "Spread");
    EXPECT_EQ(state.Decodemode, 2);
    EXPECT_EQ(view.markerSelect, 0);
}

TEST_F(SpectrumClicks, ModeChangedElsewhereIsWhatTheNextToneClickSaves) {
    state.Decodemode = 0;  // the mode button, after the window started in Selectiv
    click(24);
    EXPECT_EQ(view.savedDecodeMode, 0);
    EXPECT_EQ(click(50).modeButtonText, "Flutter");
    EXPECT_EQ(state.Decodemode, 0);
}

TEST_F(SpectrumClicks, ZoneEdgesAreOutside) {
    EXPECT_EQ(click(23).action, SpectrumClick::startPause);  // L - n
    state.pauseState = 0;
    EXPECT_EQ(click(46).action, SpectrumClick::startPause);  // L
    state.pauseState = 0;
    EXPECT_EQ(click(68).action, SpectrumClick::startPause);  // R
    state.pauseState = 0;
    EXPECT_EQ(click(91).action, SpectrumClick::startPause);  // R + n
    EXPECT_EQ(click(90).action, SpectrumClick::selectRightTone);
    EXPECT_EQ(click(67).action, SpectrumClick::restoreMode);
    EXPECT_EQ(click(47).action, SpectrumClick::restoreMode);
}

TEST_F(SpectrumClicks, ClickOutsideStartsOnePauseButNotWhileAWavFilePlays) {
    auto r = click(5);
    EXPECT_EQ(r.action, SpectrumClick::startPause);
    EXPECT_TRUE(r.modeButtonText.empty());
    EXPECT_EQ(state.pauseState, 1);
    EXPECT_EQ(click(100).action, SpectrumClick::none);  // one is already running
    spectrumRightClick(state);
    EXPECT_EQ(state.pauseState, 0);

    state.wavPlaying = 1;  // no pause while a WAV file plays
    EXPECT_EQ(click(110).action, SpectrumClick::notWhilePlaying);
    EXPECT_EQ(state.pauseState, 0);
    EXPECT_EQ(kPauseWhilePlayingText, "\nNot available when playing .wav files\n");
}

}  // namespace
}  // namespace kestrel
