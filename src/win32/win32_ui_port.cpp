#include "win32_ui_port.h"

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "text.h"

namespace kestrel::win32 {
namespace {

// The area of the spectrum strip a new frame redraws.
constexpr RECT kSpectrumArea{0, 0, 731, 110};

}  // namespace

int Win32UiPort::messageBox(std::string_view text, std::string_view caption, unsigned flags) {
    const std::wstring wideCaption = widen(caption);
    return MessageBoxW(nullptr, widen(text).c_str(),
                       caption.empty() ? nullptr : wideCaption.c_str(), flags);
}

void Win32UiPort::onUiThread(std::function<void()> work) {
    const HWND window = windows_.mainWindow;
    if (GetCurrentThreadId() == uiThread_ || window == nullptr) {
        work();
        return;
    }
    {
        const std::lock_guard<std::mutex> hold(queueLock_);
        queued_.push_back(std::move(work));
    }
    // Should the notice fail (a full message queue), the work runs with the next one.
    PostMessageW(window, kRunOnUiThread, 0, 0);
}

void Win32UiPort::runQueuedWork() {
    std::deque<std::function<void()>> due;
    {
        const std::lock_guard<std::mutex> hold(queueLock_);
        due.swap(queued_);
    }
    for (auto& work : due) work();
}

// Before the status bar exists (during the logger handshake) there is nothing to write;
// the bar starts from the state the handshake left.
void Win32UiPort::setStatusText(int part, std::string_view text) {
    onUiThread([this, part, wide = widen(text)] {
        const HWND bar = windows_.statusBar;
        if (bar == nullptr) return;
        SendMessageW(bar, SB_SETTEXTW, static_cast<WPARAM>(part),
                     reinterpret_cast<LPARAM>(wide.c_str()));
    });
}

void Win32UiPort::setControlCaption(int controlId, std::string_view text) {
    onUiThread([this, controlId, wide = widen(text)] {
        const HWND panel = windows_.controlPanel;
        if (panel == nullptr) return;
        SetDlgItemTextW(panel, controlId, wide.c_str());
    });
}

void Win32UiPort::checkMenuItem(int itemId, bool checked) {
    CheckMenuItem(windows_.menu, static_cast<UINT>(itemId),
                  MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void Win32UiPort::enableMenuItem(int itemId, bool enabled) {
    EnableMenuItem(windows_.menu, static_cast<UINT>(itemId),
                   MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void Win32UiPort::setWindowTitle(std::string_view title) {
    onUiThread([this, wide = widen(title)] { SetWindowTextW(windows_.mainWindow, wide.c_str()); });
}

void Win32UiPort::requestSpectrumRepaint() {
    const HWND spectrum = windows_.fftWindow;
    if (spectrum == nullptr) return;
    InvalidateRect(spectrum, &kSpectrumArea, FALSE);
}

}  // namespace kestrel::win32
