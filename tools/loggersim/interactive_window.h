#pragma once
// The window for trying Kestrel without a logger: the received text, the traffic, a
// line to send and the TX, RX and Abort buttons.
#include <windows.h>

#include <optional>
#include <string>

#include "engine_process.h"
#include "logger_side.h"

namespace kestrel::loggersim {

class InteractiveWindow {
  public:
    InteractiveWindow(LoggerSide& side, const EngineProcess& engine)
        : side_(side), engine_(engine) {}

    // Creates the (hidden) frame; the logger side puts the logger window inside it.
    std::optional<std::string> create(HINSTANCE instance);
    HWND frame() const { return frame_; }
    // Shows the frame and runs the message loop until it is closed.
    void run(int showCommand);

  private:
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls(HINSTANCE instance);
    void layout(int width, int height);
    void onTraffic(Direction direction, const Notification& n);
    void appendReceived(std::int64_t character);
    void transmitLine();
    void sendPtt(std::int64_t value);
    void updateStatus();

    LoggerSide& side_;
    const EngineProcess& engine_;
    HWND frame_ = nullptr;
    HWND received_ = nullptr;
    HWND traffic_ = nullptr;
    HWND line_ = nullptr;
    HWND tx_ = nullptr;
    HWND rx_ = nullptr;
    HWND abort_ = nullptr;
    HWND status_ = nullptr;
    std::wstring shownStatus_;
    bool lastWasReturn_ = false;
    std::optional<std::int64_t> mark_, space_, ptt_;
};

}  // namespace kestrel::loggersim
