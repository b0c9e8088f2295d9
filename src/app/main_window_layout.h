#pragma once
// The main window's fixed layout and where its position is kept: the control panel at
// the top left, the spectrum strip to its right, the status bar along the bottom, and a
// window size that follows from them (the user cannot resize it).
#include <array>
#include <string>
#include <vector>

#include "frontend/spectrum.h"
#include "modem_state.h"
#include "platform/ui_port.h"
#include "settings/settings_access.h"
#include "text/ui_ids.h"

namespace kestrel {

// The control panel's size in dialog units: its three buttons stacked.
inline constexpr int kPanelDialogWidth = 30;
inline constexpr int kPanelDialogHeight = 66;

struct WindowRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// A position and size.
struct Placement {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Placement&) const = default;
};

struct MainLayout {
    Placement panel;
    Placement spectrum;
    Placement window;
};

// panelWidth, panelHeight: the panel's 30 x 66 dialog units in pixels. The window keeps
// its left and top; menuHeight and captionHeight are the system's metrics. The window is
// never narrower than minWidth, which lets the status bar show its texts.
MainLayout mainLayout(int panelWidth, int panelHeight, int fftDisplay, int windowLeft,
                      int windowTop, int menuHeight, int captionHeight, int minWidth);

// Where the window's position is saved from, and so how it is written.
enum class PositionSource {
    move,    // a move message: five digits, and nothing while the window is minimised
    layout,  // the layout after a size message: four digits, always
};

// Writes left, top, right (the width) and bottom (the height) of the window rectangle.
// A minimised window lies far off the screen (about -32000), so a move that puts the
// left edge below -2000 or the top below -200 saves nothing.
void saveWindowPosition(SettingsAccess& settings, const WindowRect& window, PositionSource source);

// The stored rectangle: left, top, width and height (defaults 88, 116, 688, 566).
Placement storedWindowPlacement(SettingsAccess& settings);

// A window that lies on no monitor goes to the middle of the nearest monitor's work
// area, keeping its size.
Placement centredInWorkArea(const WindowRect& window, const WindowRect& workArea);

// The widest texts each status-bar part holds, for the shell to measure in the bar's font:
// the measurements at the ends of their ranges, the Net captions and the notices.
std::array<std::vector<std::string>, kStatusParts> statusBarWidestTexts();

// Pixels, part by part: the widest text in the bar's font with the part's borders.
using StatusTextWidths = std::array<int, kStatusParts>;

// The right edges of the six status-bar parts. Each part is as wide as the fixed layout
// makes it (edges 38, 96, 146, 183 and fftDisplay + 61, the last to the larger of 550
// and the client width), or as its texts need, whichever is wider.
std::array<int, kStatusParts> statusBarEdges(int fftDisplay, int clientWidth,
                                             const StatusTextWidths& needed);

// How wide the status bar must be for the measurements and the Net state to show whole.
// The notices, which are rare, get what the window leaves of the last part: widening the
// small window for them would double it at the default spectrum width.
int statusBarTextsWidth(int fftDisplay, const StatusTextWidths& needed);

// The texts the status bar starts with, part by part. The Net field shows the state the
// logger handshake has just set from the switch word (the bar did not exist to be told).
std::array<std::string, kStatusParts> initialStatusTexts(const ModemState& state);

}  // namespace kestrel
