#include "app/main_window_layout.h"

#include <algorithm>

#include "settings/settings_store.h"
#include "text/captions.h"

namespace kestrel {
namespace {

constexpr int kPanelMargin = 3;   // pixels added each way around the panel's buttons
constexpr int kSpectrumGap = 6;   // from the panel's dialog-unit width to the spectrum
constexpr int kWidthExtra = 25;   // the borders and gaps beside panel and spectrum
constexpr int kHeightExtra = 42;  // the borders and the status bar
constexpr int kMinimisedLeft = -2000;
constexpr int kMinimisedTop = -200;
constexpr int kStatusBarMinWidth = 550;

}  // namespace

MainLayout mainLayout(int panelWidth, int panelHeight, int fftDisplay, int windowLeft,
                      int windowTop, int menuHeight, int captionHeight) {
    MainLayout layout;
    layout.panel = {0, 0, panelWidth + kPanelMargin, panelHeight + kPanelMargin};
    layout.spectrum = {panelWidth + kSpectrumGap, 0, fftDisplay, kSpectrumHeight};
    layout.window = {windowLeft, windowTop, panelWidth + fftDisplay + kWidthExtra,
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

std::array<int, kStatusParts> statusBarEdges(int fftDisplay, int clientWidth) {
    return {38, 96, 146, 183, fftDisplay + 61, std::max(kStatusBarMinWidth, clientWidth)};
}

std::array<std::string, kStatusParts> initialStatusTexts(const ModemState& state) {
    const char* net = !netCapableMode(state.TXmode) ? kFskStatus
                      : state.netOn                 ? kNetOnStatus
                                                    : kNetOffStatus;
    return {" 00Hz", "", net, " 33mS", "", ""};
}

}  // namespace kestrel
