#pragma once
// The subcommands of kestrel-cli. Each command's file registers itself with a
// CommandRegistration at namespace scope; main() dispatches by name.
#include <string>
#include <vector>

namespace kestrel::cli {

using CommandFunction = int (*)(std::vector<std::string> args);  // returns the exit code

struct Command {
    const char* name;
    const char* summary;  // one line for the usage text
    CommandFunction run;
};

struct CommandRegistration {
    explicit CommandRegistration(Command command);
};

const std::vector<Command>& registeredCommands();

}  // namespace kestrel::cli
