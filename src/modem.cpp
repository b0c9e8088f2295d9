#include "modem.h"

#include <utility>

namespace kestrel {

// The transmit buffer is not part of the program yet; until it is there is nothing to
// clear.
void ModemTxBufferControl::clearTxBuffer() {}

Modem::Modem(const ModemPorts& modemPorts, std::string exePath, const CommandLine& line)
    : ports(modemPorts),
      commandLine(line),
      store{settingsPath(exePath)},
      link(state,
           {ports.logger, ports.ui, ports.mainWindow, txBufferControl, settings, ports.sharedBlock,
            ports.clock, linkThreads},
           line.loggerWindow),
      menu{app,       ports.fileDialogs, ports.saveTextFile, ports.documents, std::move(exePath),
           store.path} {}

void Modem::loadSettings() {
    kestrel::loadSettings(store, ports.audioDevices, state, strings);
}

}  // namespace kestrel
