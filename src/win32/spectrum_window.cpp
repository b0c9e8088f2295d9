// The spectrum strip beside the control panel: tone lines, AFC markers and the trace,
// painted from what the Modem computes; clicks go back to it.
#include <windows.h>
// after windows.h, which it needs
#include <windowsx.h>

#include <algorithm>
#include <array>

#include "frontend/spectrum.h"
#include "shell.h"
#include "text/captions.h"

namespace kestrel::win32 {
namespace {

constexpr WPARAM kDestroyCommand = 106;
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr const char* kPenFailure = "WndfftProc 143 Failure";

void verticalLine(HDC dc, int x, int bottom) {
    MoveToEx(dc, x, 0, nullptr);
    LineTo(dc, x, bottom);
}

void paint(HWND window) {
    Shell& s = shell();
    const SpectrumPaint view = s.modem.spectrumPaint();
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(window, &ps);

    const auto black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    for (const SpectrumRect& r : view.background) {
        const RECT area{r.left, r.top, r.right, r.bottom};
        FillRect(dc, &area, black);
    }

    SetROP2(dc, R2_COPYPEN);
    const HPEN linePen = CreatePen(PS_SOLID, 1, kYellow);
    if (linePen == nullptr) s.ui.messageBox(kPenFailure, kErrorCaption, kMbOk | kMbTopMost);
    const HGDIOBJ original = SelectObject(dc, linePen ? linePen : GetStockObject(WHITE_PEN));
    verticalLine(dc, view.geometry.leftLine, view.lineBottom);
    verticalLine(dc, view.geometry.rightLine, view.lineBottom);

    const HPEN markerPen = CreatePen(PS_SOLID, 3, view.markersWhite ? kWhite : kYellow);
    SelectObject(dc, markerPen);
    if (view.leftMarkerShown) verticalLine(dc, view.geometry.leftMarker, view.markerBottom);
    if (view.rightMarkerShown) verticalLine(dc, view.geometry.rightMarker, view.markerBottom);

    std::array<POINT, kSpectrumPoints> trace;
    const auto& points = s.modem.spectrumTrace();
    const int count = std::min(view.width, kSpectrumPoints);
    for (int i = 0; i < count; ++i) trace[i] = {points[i].x.load(), points[i].y.load()};
    SelectObject(dc, GetStockObject(WHITE_PEN));
    Polyline(dc, trace.data(), count);

    SelectObject(dc, original);
    if (linePen) DeleteObject(linePen);
    DeleteObject(markerPen);
    EndPaint(window, &ps);
}

}  // namespace

LRESULT CALLBACK fftWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Shell& s = shell();
    s.modem.spectrumWindowCreated();
    switch (message) {
        case WM_PAINT:
            paint(window);
            return 0;
        case WM_LBUTTONUP:
            s.modem.spectrumLeftClick(GET_X_LPARAM(lParam));
            return 0;
        case WM_RBUTTONUP:
            s.modem.spectrumRightClick();
            return 0;
        case WM_CHAR:
            PostMessageW(s.windows.txWindow, WM_CHAR, wParam, lParam);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kDestroyCommand) DestroyWindow(window);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace kestrel::win32
