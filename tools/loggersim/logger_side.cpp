#include "logger_side.h"

#include "loggersim/traffic.h"
#include "platform/logger_codes.h"
#include "text.h"

namespace kestrel::loggersim {
namespace {

constexpr wchar_t kLoggerClass[] = L"KestrelLoggersimLogger";
constexpr wchar_t kHolderClass[] = L"KestrelLoggersimHolder";

void registerClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

void writeAll(HANDLE handle, const std::string& text) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string lastError(const char* what) {
    return std::string(what) + " failed (error " + std::to_string(GetLastError()) + ")";
}

}  // namespace

LoggerSide::LoggerSide() {
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
}

LoggerSide::~LoggerSide() {
    if (block_) UnmapViewOfFile(block_);
    if (mapping_) CloseHandle(mapping_);
    if (logFile_ != INVALID_HANDLE_VALUE) CloseHandle(logFile_);
}

std::optional<std::string> LoggerSide::open(const LoggersimOptions& options, HINSTANCE instance,
                                            HWND frame) {
    if (options.logPath) {
        logFile_ =
            CreateFileW(win32::widen(*options.logPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (logFile_ == INVALID_HANDLE_VALUE) return lastError("opening the log file");
    }
    mmttyMessage_ = RegisterWindowMessageW(L"MMTTY");
    if (mmttyMessage_ == 0) return lastError("RegisterWindowMessage");
    if (options.createBlock) {
        if (auto error = createBlock(options.blockSize)) return error;
    }
    return createWindows(options, instance, frame);
}

std::optional<std::string> LoggerSide::createBlock(std::size_t size) {
    const auto high = static_cast<DWORD>(static_cast<std::uint64_t>(size) >> 32);
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, high,
                                  static_cast<DWORD>(size), L"MMTTY");
    if (mapping_ == nullptr) return lastError("creating the shared block");
    // Another logger's block would be shared with its Kestrel; say so, but go on.
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        log("warning: a shared block \"MMTTY\" already exists; using it");
    block_ = static_cast<std::uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, size));
    if (block_ == nullptr) return lastError("mapping the shared block");
    blockSize_ = size;
    log("shared block \"MMTTY\": " + std::to_string(size) + " bytes");
    return std::nullopt;
}

std::optional<std::string> LoggerSide::createWindows(const LoggersimOptions& options,
                                                     HINSTANCE instance, HWND frame) {
    registerClass(instance, kLoggerClass, loggerProc);
    registerClass(instance, kHolderClass, DefWindowProcW);
    HWND parent = nullptr;
    for (const std::string& title : loggerWindowChain(options)) {
        const std::wstring wide = win32::widen(title);
        if (parent == nullptr && frame != nullptr) {
            SetWindowTextW(frame, wide.c_str());
            parent = frame;
            continue;
        }
        parent = CreateWindowExW(0, kHolderClass, wide.c_str(), parent ? WS_CHILD : WS_OVERLAPPED,
                                 0, 0, 0, 0, parent, nullptr, instance, nullptr);
        if (parent == nullptr) return lastError("creating a parent window");
        holders_.push_back(parent);
        log("window \"" + title + "\" holds the logger window");
    }
    loggerWindow_ =
        CreateWindowExW(0, kLoggerClass, L"loggersim MMTTY", parent ? WS_CHILD : WS_OVERLAPPED, 0,
                        0, 0, 0, parent, nullptr, instance, this);
    if (loggerWindow_ == nullptr) return lastError("creating the logger window");
    return std::nullopt;
}

LRESULT CALLBACK LoggerSide::loggerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<LoggerSide*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message == self->mmttyMessage_ && message != 0) {
        self->record(wParam, lParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void LoggerSide::record(WPARAM code, LPARAM value) {
    const Notification n{nowMs(), static_cast<std::uint32_t>(code),
                         static_cast<std::int64_t>(value)};
    received_.push_back(n);
    log(formatTraffic(n.timeMs, Direction::Received, n.code, n.value));
    if (listener_) listener_(Direction::Received, n);
}

std::int64_t LoggerSide::nowMs() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (now.QuadPart - start_.QuadPart) * 1000 / frequency_.QuadPart;
}

HWND LoggerSide::engineWindow() const {
    for (auto it = received_.rbegin(); it != received_.rend(); ++it) {
        if (it->code == TXM_HANDLE) return reinterpret_cast<HWND>(static_cast<INT_PTR>(it->value));
    }
    return nullptr;
}

bool LoggerSide::send(HWND engine, std::uint32_t code, std::int64_t value) {
    const Notification n{nowMs(), code, value};
    log(formatTraffic(n.timeMs, Direction::Sent, code, value));
    const bool posted = PostMessageW(engine, mmttyMessage_, code, static_cast<LPARAM>(value));
    if (!posted) log(lastError("posting"));
    if (listener_) listener_(Direction::Sent, n);
    return posted;
}

void LoggerSide::pump(std::int64_t untilMs) {
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const std::int64_t left = untilMs - nowMs();
        if (left <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
    }
}

std::optional<std::vector<std::uint8_t>> LoggerSide::sharedBytes(std::size_t offset,
                                                                 std::size_t count) const {
    if (block_ == nullptr || offset > blockSize_ || count > blockSize_ - offset)
        return std::nullopt;
    return std::vector<std::uint8_t>(block_ + offset, block_ + offset + count);
}

void LoggerSide::log(const std::string& line) {
    const std::string text = line + "\n";
    writeAll(GetStdHandle(STD_OUTPUT_HANDLE), text);
    writeAll(logFile_, text);
}

}  // namespace kestrel::loggersim
