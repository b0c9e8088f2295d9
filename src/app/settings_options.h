#pragma once
// The settings options kestrel-cli's commands share: --settings FILE.ini, read as
// Kestrel reads Kestrel.ini at start-up, then --baud, --mark and --space over it.
// Each takes its value as "--opt value" or "--opt=value".
#include <string>
#include <vector>

#include "modem_state.h"

namespace kestrel {

// Takes these options out of args wherever they stand (the last of each counts) and
// applies them to state; other arguments stay in args, in order. A settings file that
// does not exist or cannot be read is an error here, since the user named it. On an
// error returns false with a message naming the option, and state is untouched.
bool applySettingsOptions(std::vector<std::string>& args, ModemState& state, std::string& error);

}  // namespace kestrel
