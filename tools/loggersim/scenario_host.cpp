#include "scenario_host.h"

#include "loggersim/traffic.h"
#include "window_automation.h"

namespace kestrel::loggersim {
namespace {

HWND asWindow(std::int64_t value) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(value));
}

}  // namespace

std::int64_t Win32ScenarioHost::loggerHandle() const {
    return static_cast<std::int64_t>(reinterpret_cast<INT_PTR>(side_.loggerWindow()));
}

bool Win32ScenarioHost::send(std::int64_t engineWindow, std::uint32_t code, std::int64_t value) {
    return side_.send(asWindow(engineWindow), code, value);
}

std::optional<MessageBoxSeen> Win32ScenarioHost::answerMessageBox(
    const std::optional<std::string>& caption) {
    auto seen = loggersim::answerMessageBox(engine_.id(), caption);
    if (seen)
        side_.log(stampedLine(nowMs(), "message box \"" + seen->caption + "\" answered with OK"));
    return seen;
}

bool Win32ScenarioHost::fillOpenFileDialog(const std::string& path) {
    if (!loggersim::fillOpenFileDialog(engine_.id(), path)) return false;
    side_.log(stampedLine(nowMs(), "open-file dialog given " + path));
    return true;
}

std::optional<std::string> Win32ScenarioHost::windowTitle(std::int64_t window) {
    return loggersim::windowTitle(asWindow(window));
}

}  // namespace kestrel::loggersim
