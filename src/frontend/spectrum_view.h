#pragma once
// What the spectrum window shows and what a click on it means, worked out here so the
// window procedure only draws and calls: the tone lines, the AFC markers, the black
// background around the lines, and the click zones.
#include <array>
#include <cstdint>
#include <string_view>

#include "modem_state.h"

namespace kestrel {

inline constexpr std::string_view kPauseWhilePlayingText =
    "\nNot available when playing .wav files\n";

// The window's own state, kept on the user-interface thread.
struct SpectrumView {
    // Made on the window's first message: the mode a click between the lines restores.
    explicit SpectrumView(const ModemState& state) : savedDecodeMode(state.Decodemode.load()) {}

    std::int16_t markerSelect = 0;  // 0 both markers; 1 left tone clicked; 2 right tone
    int savedDecodeMode;
};

// Positions in pixels of a trace `width` wide.
struct SpectrumGeometry {
    int centre;       // c = width / 2
    int halfShift;    // n: half the tone shift in bins, plus one
    int leftLine;     // c - n
    int rightLine;    // c + n
    int leftMarker;   // where the AFC sees the left tone
    int rightMarker;  // where the AFC sees the right tone
};

SpectrumGeometry spectrumGeometry(const ModemState& state, int width);

struct SpectrumRect {
    int left, top, right, bottom;
};

// Everything a paint needs besides the trace points.
struct SpectrumPaint {
    SpectrumGeometry geometry;
    int width;                               // also the number of trace points to draw
    std::array<SpectrumRect, 3> background;  // filled black; the tone lines stay between
    int lineBottom;                          // tone lines run from y 0 to here
    int markerBottom;                        // AFC markers run from y 0 to here
    bool leftMarkerShown;
    bool rightMarkerShown;
    bool markersWhite;  // AFC off: white markers; on: yellow like the lines
};

SpectrumPaint spectrumPaint(const ModemState& state, const SpectrumView& view);

enum class SpectrumClick {
    selectLeftTone,   // decoding forced to "Selectiv", left marker hidden
    selectRightTone,  // the same for the right tone
    restoreMode,      // the mode before the tone click is back
    startPause,       // pauseState is now 1: start the pause replay
    notWhilePlaying,  // a .wav file plays: write kPauseWhilePlayingText to the receive text
    none,             // a pause is already running
};

struct SpectrumClickResult {
    SpectrumClick action;
    std::string_view modeButtonText;  // the mode button's new caption, empty if unchanged
};

// A left button release at column x. None of what it changes goes to the settings file.
SpectrumClickResult spectrumLeftClick(SpectrumView& view, ModemState& state, int x);

// A right button release ends a pause at once.
inline void spectrumRightClick(ModemState& state) {
    state.pauseState.store(0);
}

// The mode button's caption for a decode mode: "Flutter", "Selectiv" or "Spread".
std::string_view decodeModeText(int decodeMode);
// The decode mode a name gives, the mode button's caption in any case ("deep", "Deep");
// -1 for any other name.
int decodeModeNamed(std::string_view name);

}  // namespace kestrel
