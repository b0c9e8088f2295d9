#include "shell.h"

namespace kestrel::win32 {
namespace {

Shell* running = nullptr;
ClassNames names{};

}  // namespace

Shell::Shell(HINSTANCE hinstance, const std::string& exePath, const CommandLine& commandLine)
    : instance(hinstance),
      logger(commandLine.loggerWindow),
      modem({logger, ui, mainWindow, sharedBlock, windowTitles, clock, audioDevices, textFile,
             fileDialogs, documents, serialPorts, priority, playback, capture, udp},
            exePath, commandLine) {}

Shell& shell() {
    return *running;
}

void setShell(Shell& shell) {
    running = &shell;
}

ClassNames& classNames() {
    return names;
}

}  // namespace kestrel::win32
