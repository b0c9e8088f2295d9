#pragma once
// The scenario runner's view of the real logger side and Kestrel's process.
#include "engine_process.h"
#include "logger_side.h"
#include "loggersim/scenario_runner.h"

namespace kestrel::loggersim {

class Win32ScenarioHost : public ScenarioHost {
  public:
    Win32ScenarioHost(LoggerSide& side, const EngineProcess& engine)
        : side_(side), engine_(engine) {}

    std::int64_t nowMs() override { return side_.nowMs(); }
    void pump(std::int64_t untilMs) override { side_.pump(untilMs); }
    const std::vector<Notification>& notifications() const override {
        return side_.notifications();
    }
    std::int64_t loggerHandle() const override;
    bool send(std::int64_t engineWindow, std::uint32_t code, std::int64_t value) override;
    std::optional<MessageBoxSeen> answerMessageBox(
        const std::optional<std::string>& caption) override;
    std::optional<std::int64_t> engineExitCode() override { return engine_.exitCode(); }
    std::optional<std::vector<std::uint8_t>> sharedBytes(std::size_t offset,
                                                         std::size_t count) override {
        return side_.sharedBytes(offset, count);
    }
    bool fillOpenFileDialog(const std::string& path) override;
    std::optional<std::string> windowTitle(std::int64_t window) override;
    void report(const std::string& line) override { side_.log(line); }

  private:
    LoggerSide& side_;
    const EngineProcess& engine_;
};

}  // namespace kestrel::loggersim
