#pragma once
// The options that every kestrel-cli command shares: --settings FILE.ini (Kestrel.ini's
// keys, read as Kestrel reads them at start-up), then --baud, --mark and --space, which
// override the file.
#include <string>
#include <vector>

#include "modem_state.h"

namespace kestrel::cli {

// Takes the shared options out of args (wherever they stand) and applies them to state,
// the file first and the overrides after it. Other arguments are left in args, in order.
// On a bad option value or an unreadable settings file returns false with a message.
bool takeSettingsOptions(std::vector<std::string>& args, ModemState& state, std::string& error);

}  // namespace kestrel::cli
