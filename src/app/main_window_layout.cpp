#include "app/main_window_layout.h"

#include <algorithm>

#include "app/status_texts.h"
#include "audio_in/contact_recorder.h"
#include "frontend/afc.h"
#include "settings/settings_store.h"
#include "text/captions.h"
#include "transmit/playback_supervisor.h"

namespace kestrel {
namespace {

constexpr int kPanelMargin = 3;   // pixels added each way around the panel's buttons
constexpr int kSpectrumGap = 6;   // from the panel's dialog-unit width to the spectrum
constexpr int kWidthExtra = 25;   // the borders and gaps beside panel and spectrum
constexpr int kHeightExtra = 42;  // the borders and the status bar
constexpr int kMinimisedLeft = -2000;
constexpr int kMinimisedTop = -200;
constexpr int kStatusBarMinWidth = 550;
// The widest measurements: two digits fill the formats, and the AFC's offset is negative.
constexpr int kWidestTwoDigits = 99;

// The fixed layout's edges of the first five parts; the sixth runs to the bar's end.
std::array<int, kStatusParts - 1> fixedEdges(int fftDisplay) {
    return {38, 96, 146, 183, fftDisplay + 61};
}

// The five edges, each part as wide as the fixed layout or its texts make it.
std::array<int, kStatusParts - 1> grownEdges(int fftDisplay, const StatusTextWidths& needed) {
    const auto fixed = fixedEdges(fftDisplay);
    std::array<int, kStatusParts - 1> edges{};
    int fixedLeft = 0, left = 0;
    for (std::size_t part = 0; part < edges.size(); ++part) {
        left += std::max({fixed[part] - fixedLeft, needed[part], 0});
        fixedLeft = fixed[part];
        edges[part] = left;
    }
    return edges;
}

}  // namespace

MainLayout mainLayout(int panelWidth, int panelHeight, int fftDisplay, int windowLeft,
                      int windowTop, int menuHeight, int captionHeight, int minWidth) {
    MainLayout layout;
    layout.panel = {0, 0, panelWidth + kPanelMargin, panelHeight + kPanelMargin};
    layout.spectrum = {panelWidth + kSpectrumGap, 0, fftDisplay, kSpectrumHeight};
    layout.window = {windowLeft, windowTop,
                     std::max(panelWidth + fftDisplay + kWidthExtra, minWidth),
                     panelHeight + menuHeight + captionHeight + kHeightExtra};
    return layout;
}

void saveWindowPosition(SettingsAccess& settings, const WindowRect& window, PositionSource source) {
    const bool fromMove = source == PositionSource::move;
    if (fromMove && (window.left < kMinimisedLeft || window.top < kMinimisedTop)) return;
    const IntFormat format = fromMove ? IntFormat::fiveDigits : IntFormat::fourDigits;
    settings.writeString("left", formatSettingInt(window.left, format));
    settings.writeString("top", formatSettingInt(window.top, format));
    settings.writeString("right", formatSettingInt(window.width(), format));
    settings.writeString("bottom", formatSettingInt(window.height(), format));
}

Placement storedWindowPlacement(SettingsAccess& settings) {
    return {settings.readInt("left", 88), settings.readInt("top", 116),
            settings.readInt("right", 688), settings.readInt("bottom", 566)};
}

Placement centredInWorkArea(const WindowRect& window, const WindowRect& workArea) {
    return {workArea.left + (workArea.width() - window.width()) / 2,
            workArea.top + (workArea.height() - window.height()) / 2, window.width(),
            window.height()};
}

std::array<std::vector<std::string>, kStatusParts> statusBarWidestTexts() {
    const int offset = static_cast<int>(kAfcOffsetLimit);
    return {{
        {tuningOffsetText(-offset), tuningOffsetText(offset)},
        {signalToNoiseText(std::nullopt), signalToNoiseText(kWidestTwoDigits)},
        {kNetOnStatus, kNetOffStatus, kFskStatus},
        {bitLengthText(kWidestTwoDigits)},
        {},
        {bookingMessage(Booking::noFreeSlot), bookingMessage(Booking::pathTooLong),
         bookingMessage(Booking::outOfTime), kPlaybackStalledStatus},
    }};
}

std::array<int, kStatusParts> statusBarEdges(int fftDisplay, int clientWidth,
                                             const StatusTextWidths& needed) {
    const auto edges = grownEdges(fftDisplay, needed);
    std::array<int, kStatusParts> all{};
    std::copy(edges.begin(), edges.end(), all.begin());
    all.back() = std::max({kStatusBarMinWidth, clientWidth, edges.back() + needed.back()});
    return all;
}

int statusBarTextsWidth(int fftDisplay, const StatusTextWidths& needed) {
    return grownEdges(fftDisplay, needed)[kBitLengthStatusPart];
}

std::array<std::string, kStatusParts> initialStatusTexts(const ModemState& state) {
    const char* net = !netCapableMode(state.TXmode) ? kFskStatus
                      : state.netOn                 ? kNetOnStatus
                                                    : kNetOffStatus;
    return {" 00Hz", "", net, " 33mS", "", ""};
}

}  // namespace kestrel
