#include "frontend/spectrum_view.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "frontend/spectrum.h"

namespace kestrel {
namespace {

constexpr int kMarkerLength = 18;

// Pixels for a frequency difference in Hz at the processing rate.
double binsFor(double hertz, int sampleRate) {
    return kSpectrumBins * hertz * 4.0 / sampleRate;
}

}  // namespace

SpectrumGeometry spectrumGeometry(const ModemState& state, int width) {
    const int rate = state.sampleRate.load();
    SpectrumGeometry g{};
    g.centre = width / 2;
    const double shift = state.markFrequency.load() - state.spaceFrequency.load();
    g.halfShift = static_cast<int>(std::fabs(binsFor(shift * 0.5, rate))) + 1;
    g.leftLine = g.centre - g.halfShift;
    g.rightLine = g.centre + g.halfShift;
    g.leftMarker = g.leftLine - static_cast<int>(binsFor(state.markOffset.load(), rate));
    g.rightMarker = g.rightLine - static_cast<int>(binsFor(state.spaceOffset.load(), rate));
    return g;
}

SpectrumPaint spectrumPaint(const ModemState& state, const SpectrumView& view) {
    SpectrumPaint p{};
    p.width = spectrumWidth(state.FFTDisplay.load());
    p.geometry = spectrumGeometry(state, p.width);
    const SpectrumGeometry& g = p.geometry;
    p.background = {SpectrumRect{0, 0, g.leftLine, kSpectrumHeight},
                    SpectrumRect{g.leftLine + 1, 0, g.rightLine, kSpectrumHeight},
                    SpectrumRect{g.rightLine + 1, 0, p.width, kSpectrumHeight}};
    p.lineBottom = kSpectrumHeight;
    p.markerBottom = kMarkerLength;
    p.leftMarkerShown = view.markerSelect != 1;
    p.rightMarkerShown = view.markerSelect != 2;
    p.markersWhite = state.afcOff.load() == 1;
    return p;
}

int decodeModeNamed(std::string_view name) {
    for (int mode = 0; mode < kDecodeModes; ++mode) {
        const std::string_view text = decodeModeText(mode);
        if (std::equal(text.begin(), text.end(), name.begin(), name.end(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            }))
            return mode;
    }
    return -1;
}

std::string_view decodeModeText(int decodeMode) {
    switch (decodeMode) {
        case kDecodeFlutter:
            return "Flutter";
        case kDecodeSelectiv:
            return "Selectiv";
        case kDecodeSpread:
            return "Spread";
        case kDecodeDeep:
            return "Deep";
        default:
            return "";
    }
}

SpectrumClickResult spectrumLeftClick(SpectrumView& view, ModemState& state, int x) {
    const SpectrumGeometry g = spectrumGeometry(state, spectrumWidth(state.FFTDisplay.load()));
    const int n = g.halfShift;
    const int h = n / 2;
    const int left = g.centre - h;
    const int right = g.centre + h;
    if (view.markerSelect == 0) view.savedDecodeMode = state.Decodemode.load();

    if (left - n < x && x < left) {
        view.markerSelect = 1;
        state.Decodemode.store(kDecodeSelectiv);
        return {SpectrumClick::selectLeftTone, decodeModeText(kDecodeSelectiv)};
    }
    if (right < x && x < right + n) {
        view.markerSelect = 2;
        state.Decodemode.store(kDecodeSelectiv);
        return {SpectrumClick::selectRightTone, decodeModeText(kDecodeSelectiv)};
    }
    if (left < x && x < right) {
        state.Decodemode.store(view.savedDecodeMode);
        view.markerSelect = 0;
        return {SpectrumClick::restoreMode, decodeModeText(view.savedDecodeMode)};
    }
    if (state.pauseState.load() != 0) return {SpectrumClick::none, {}};
    if (state.wavPlaying.load() != 0) return {SpectrumClick::notWhilePlaying, {}};
    state.pauseState.store(1);
    return {SpectrumClick::startPause, {}};
}

}  // namespace kestrel
