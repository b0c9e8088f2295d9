// loggersim.exe: the logger substitute. It plays the logger's side of the MMTTY link for
// Kestrel.exe, from a scenario file or interactively. Usage: loggersim_options.cpp and
// docs/loggersim.md.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <string>
#include <vector>

#include "engine_process.h"
#include "interactive_window.h"
#include "logger_side.h"
#include "loggersim/options.h"
#include "loggersim/scenario.h"
#include "loggersim/scenario_runner.h"
#include "platform/logger_codes.h"
#include "scenario_host.h"
#include "text.h"

namespace {

using namespace kestrel;
using namespace kestrel::loggersim;

constexpr int kExitPassed = 0;
constexpr int kExitFailed = 1;
constexpr int kExitCannotRun = 2;
// How long Kestrel has to end after RXM_EXIT before it is ended by force.
constexpr DWORD kEngineExitWaitMs = 3000;

// Started with no arguments (a double click in the folder Kestrel was unpacked into), it
// starts the Kestrel.exe beside it.
std::vector<std::string> commandArguments() {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(win32::narrow(argv[i]));
    LocalFree(argv);
    if (args.empty()) {
        wchar_t self[MAX_PATH];
        const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            std::wstring folder(self, length);
            folder.erase(folder.find_last_of(L'\\') + 1);
            args.push_back(win32::narrow(folder + L"Kestrel.exe"));
        }
    }
    return args;
}

// A mistake is told on standard output when there is one (a console or a file), else in
// a message box, as for a program started from the desktop.
void complain(const std::string& text) {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    MessageBoxW(nullptr, win32::widen(text).c_str(), L"loggersim", MB_OK | MB_ICONERROR);
}

std::optional<std::string> readFile(const std::string& path) {
    const HANDLE file = CreateFileW(win32::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
    CloseHandle(file);
    return text;
}

std::optional<std::string> startEngine(const LoggersimOptions& options, LoggerSide& side,
                                       EngineProcess& engine) {
    const auto handle = static_cast<std::uint64_t>(reinterpret_cast<UINT_PTR>(side.loggerWindow()));
    const std::string arguments = engineCommandLine(options.engineArguments, handle);
    if (auto error = engine.start(win32::widen(options.enginePath), win32::widen(arguments)))
        return error;
    side.log(stampedLine(side.nowMs(), "started " + options.enginePath + " " + arguments +
                                           " (process " + std::to_string(engine.id()) + ")"));
    return std::nullopt;
}

// Asks Kestrel to end as a logger does when it closes, and makes sure it has.
void endEngine(LoggerSide& side, const EngineProcess& engine) {
    if (!engine.exitCode()) {
        if (const HWND window = side.engineWindow()) side.send(window, RXM_EXIT, 0);
        if (!engine.waitExit(kEngineExitWaitMs)) {
            side.log(stampedLine(side.nowMs(), "Kestrel did not end; ending it by force"));
            engine.terminate();
            engine.waitExit(kEngineExitWaitMs);
        }
    }
    if (const auto code = engine.exitCode())
        side.log(
            stampedLine(side.nowMs(), "Kestrel ended with exit code " + std::to_string(*code)));
}

int runScenarioFile(const LoggersimOptions& options, HINSTANCE instance) {
    const std::optional<std::string> text = readFile(*options.scenarioPath);
    if (!text) {
        complain("cannot read the scenario " + *options.scenarioPath + "\n");
        return kExitCannotRun;
    }
    const ParsedScenario scenario = parseScenario(*text);
    if (!scenario.errors.empty()) {
        std::string all;
        for (const std::string& e : scenario.errors) all += *options.scenarioPath + " " + e + "\n";
        complain(all);
        return kExitCannotRun;
    }
    LoggerSide side;
    EngineProcess engine;
    if (auto error = side.open(options, instance, nullptr)) {
        complain(*error + "\n");
        return kExitCannotRun;
    }
    if (auto error = startEngine(options, side, engine)) {
        complain(*error + "\n");
        return kExitCannotRun;
    }
    Win32ScenarioHost host(side, engine);
    const ScenarioOutcome outcome = runScenario(scenario.steps, host);
    endEngine(side, engine);
    return outcome.failures == 0 ? kExitPassed : kExitFailed;
}

int runInteractive(const LoggersimOptions& options, HINSTANCE instance, int showCommand) {
    LoggerSide side;
    EngineProcess engine;
    InteractiveWindow window(side, engine);
    std::optional<std::string> error = window.create(instance);
    if (!error) error = side.open(options, instance, window.frame());
    if (!error) error = startEngine(options, side, engine);
    if (error) {
        complain(*error + "\n");
        return kExitCannotRun;
    }
    window.run(showCommand);
    endEngine(side, engine);
    return kExitPassed;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    const std::vector<std::string> args = commandArguments();
    const ParsedOptions parsed = parseLoggersimOptions(args);
    if (!parsed.options) {
        complain("loggersim: " + parsed.error + "\n" + std::string(loggersimUsage()));
        return kExitCannotRun;
    }
    if (parsed.options->scenarioPath) return runScenarioFile(*parsed.options, instance);
    return runInteractive(*parsed.options, instance, showCommand);
}
