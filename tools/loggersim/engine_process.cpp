#include "engine_process.h"

namespace kestrel::loggersim {

EngineProcess::~EngineProcess() {
    if (process_) CloseHandle(process_);
}

std::optional<std::string> EngineProcess::start(const std::wstring& exe,
                                                const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return "starting Kestrel failed (error " + std::to_string(GetLastError()) + ")";
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    return std::nullopt;
}

std::optional<std::int64_t> EngineProcess::exitCode() const {
    if (process_ == nullptr || WaitForSingleObject(process_, 0) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return static_cast<std::int64_t>(code);
}

bool EngineProcess::waitExit(DWORD ms) const {
    return process_ == nullptr || WaitForSingleObject(process_, ms) == WAIT_OBJECT_0;
}

void EngineProcess::terminate() const {
    if (process_) TerminateProcess(process_, 1);
}

}  // namespace kestrel::loggersim
