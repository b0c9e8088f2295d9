#include "interactive_window.h"

#include <cwchar>

#include "platform/logger_codes.h"
#include "text.h"

namespace kestrel::loggersim {
namespace {

constexpr wchar_t kFrameClass[] = L"KestrelLoggersim";
// Enter in the line is IDOK and Escape is IDCANCEL (the dialog manager sends them), so
// they transmit and abort like the buttons.
constexpr int kTxId = IDOK;
constexpr int kAbortId = IDCANCEL;
constexpr int kRxId = 101;
constexpr int kReceivedId = 201;
constexpr int kTrafficId = 202;
constexpr int kLineId = 203;
constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT kStatusPeriodMs = 250;
// The views keep the last part of their text: beyond kViewTrimAt characters, the first
// half goes.
constexpr int kViewTrimAt = 200000;
constexpr int kMargin = 8;
constexpr int kRowHeight = 24;
constexpr int kButtonWidth = 64;

void appendTo(HWND edit, const std::wstring& text) {
    int length = GetWindowTextLengthW(edit);
    if (length > kViewTrimAt) {
        SendMessageW(edit, EM_SETSEL, 0, length / 2);
        SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
        length = GetWindowTextLengthW(edit);
    }
    SendMessageW(edit, EM_SETSEL, length, length);
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

HWND control(HWND parent, HINSTANCE instance, const wchar_t* cls, const wchar_t* text, DWORD style,
             int id, HGDIOBJ font) {
    const HWND w =
        CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return w;
}

std::wstring hex(std::int64_t value) {
    wchar_t text[24];
    std::swprintf(text, 24, L"%llX", static_cast<unsigned long long>(value));
    return text;
}

}  // namespace

std::optional<std::string> InteractiveWindow::create(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFrameClass;
    RegisterClassExW(&wc);
    frame_ = CreateWindowExW(0, kFrameClass, L"loggersim", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, 640, 480, nullptr, nullptr, instance, this);
    if (frame_ == nullptr) return "creating the window failed";
    createControls(instance);
    side_.onTraffic([this](Direction d, const Notification& n) { onTraffic(d, n); });
    return std::nullopt;
}

void InteractiveWindow::createControls(HINSTANCE instance) {
    const HGDIOBJ gui = GetStockObject(DEFAULT_GUI_FONT);
    const HGDIOBJ fixed = GetStockObject(ANSI_FIXED_FONT);
    constexpr DWORD kView = WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
    received_ = control(frame_, instance, L"Edit", L"", kView, kReceivedId, fixed);
    traffic_ = control(frame_, instance, L"Edit", L"", kView, kTrafficId, fixed);
    for (HWND view : {received_, traffic_}) SendMessageW(view, EM_SETLIMITTEXT, 0, 0);
    line_ = control(frame_, instance, L"Edit", L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                    kLineId, gui);
    tx_ = control(frame_, instance, L"Button", L"TX", WS_TABSTOP | BS_PUSHBUTTON, kTxId, gui);
    rx_ = control(frame_, instance, L"Button", L"RX", WS_TABSTOP | BS_PUSHBUTTON, kRxId, gui);
    abort_ =
        control(frame_, instance, L"Button", L"Abort", WS_TABSTOP | BS_PUSHBUTTON, kAbortId, gui);
    status_ = control(frame_, instance, L"Static", L"", SS_LEFTNOWORDWRAP, 0, gui);
    RECT client;
    GetClientRect(frame_, &client);
    layout(client.right, client.bottom);
    updateStatus();
}

void InteractiveWindow::layout(int width, int height) {
    if (status_ == nullptr) return;
    const int inner = width - 2 * kMargin;
    const int lineY = height - kMargin - 2 * kRowHeight;
    const int views = lineY - 2 * kMargin;
    const int receivedHeight = views * 3 / 5;
    MoveWindow(received_, kMargin, kMargin, inner, receivedHeight, TRUE);
    MoveWindow(traffic_, kMargin, 2 * kMargin + receivedHeight, inner,
               views - receivedHeight - kMargin, TRUE);
    const int lineWidth = inner - 3 * (kButtonWidth + kMargin);
    MoveWindow(line_, kMargin, lineY, lineWidth, kRowHeight, TRUE);
    int x = kMargin + lineWidth + kMargin;
    for (HWND button : {tx_, rx_, abort_}) {
        MoveWindow(button, x, lineY, kButtonWidth, kRowHeight, TRUE);
        x += kButtonWidth + kMargin;
    }
    MoveWindow(status_, kMargin, lineY + kRowHeight + 4, inner, kRowHeight - 4, TRUE);
}

void InteractiveWindow::run(int showCommand) {
    ShowWindow(frame_, showCommand);
    UpdateWindow(frame_);
    SetFocus(line_);
    SetTimer(frame_, kStatusTimer, kStatusPeriodMs, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(frame_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

LRESULT CALLBACK InteractiveWindow::proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<InteractiveWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->frame_ != window)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT InteractiveWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            layout(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_TIMER:
            updateStatus();
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kTxId) transmitLine();
            if (LOWORD(wParam) == kRxId) sendPtt(1);
            if (LOWORD(wParam) == kAbortId) sendPtt(0);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(frame_, message, wParam, lParam);
    }
}

void InteractiveWindow::onTraffic(Direction direction, const Notification& n) {
    if (direction == Direction::Received && n.code == TXM_CHAR) {
        appendReceived(n.value);
        return;
    }
    if (direction == Direction::Received && n.code == TXM_LEVEL) return;  // every 57 ms
    if (n.code == TXM_MARK) mark_ = n.value;
    if (n.code == TXM_SPACE) space_ = n.value;
    if (n.code == TXM_PTTEVENT) ptt_ = n.value;
    appendTo(traffic_, win32::widen(formatTraffic(n.timeMs, direction, n.code, n.value)) + L"\r\n");
    updateStatus();
}

// Kestrel sends carriage return and line feed; either, or both, make one new line.
void InteractiveWindow::appendReceived(std::int64_t character) {
    const bool isReturn = character == '\r';
    const bool newLine = isReturn || (character == '\n' && !lastWasReturn_);
    lastWasReturn_ = isReturn;
    if (newLine) appendTo(received_, L"\r\n");
    if (character >= 32 && character <= 0xFFFF)
        appendTo(received_, std::wstring(1, static_cast<wchar_t>(character)));
}

void InteractiveWindow::transmitLine() {
    const HWND engine = side_.engineWindow();
    if (engine == nullptr) return;
    const int length = GetWindowTextLengthW(line_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(line_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    for (wchar_t c : text) side_.send(engine, RXM_CHAR, c);
    side_.send(engine, RXM_PTT, 2);  // start transmitting unless already
    SetWindowTextW(line_, L"");
    SetFocus(line_);
}

void InteractiveWindow::sendPtt(std::int64_t value) {
    if (const HWND engine = side_.engineWindow()) side_.send(engine, RXM_PTT, value);
}

void InteractiveWindow::updateStatus() {
    std::wstring text;
    if (const std::optional<std::int64_t> code = engine_.exitCode()) {
        text = L"Kestrel ended with exit code " + std::to_wstring(*code);
    } else if (const HWND engine = side_.engineWindow()) {
        text =
            L"Kestrel window " + hex(static_cast<std::int64_t>(reinterpret_cast<INT_PTR>(engine)));
        if (mark_) text += L"   mark " + std::to_wstring(*mark_) + L" Hz";
        if (space_) text += L"   space " + std::to_wstring(*space_) + L" Hz";
        if (ptt_) text += *ptt_ ? L"   transmitting" : L"   receiving";
    } else {
        text = L"waiting for Kestrel's window handle";
    }
    const bool connected = side_.engineWindow() != nullptr && !engine_.exitCode();
    for (HWND button : {tx_, rx_, abort_}) EnableWindow(button, connected);
    if (text == shownStatus_) return;
    shownStatus_ = text;
    SetWindowTextW(status_, text.c_str());
}

}  // namespace kestrel::loggersim
