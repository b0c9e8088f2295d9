// kestrel-cli: Kestrel's receive and transmit code without the window.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/menu_commands.h"
#include "cli/commands.h"

namespace kestrel::cli {

static std::vector<Command>& commandTable() {
    static std::vector<Command> table;
    return table;
}

CommandRegistration::CommandRegistration(Command command) {
    commandTable().push_back(command);
}

const std::vector<Command>& registeredCommands() {
    return commandTable();
}

}  // namespace kestrel::cli

namespace {

void usage(std::FILE* out) {
    std::fputs(
        "usage: kestrel-cli COMMAND [arguments]   (kestrel-cli COMMAND --help for more)\n"
        "       kestrel-cli --version\n",
        out);
    for (const auto& c : kestrel::cli::registeredCommands())
        std::fprintf(out, "  %-8s %s\n", c.name, c.summary);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--version") {  // the version Kestrel.exe's About box shows
        std::printf("kestrel-cli %s\n", kestrel::kVersionText);
        return 0;
    }
    if (name == "--help" || name == "-h" || name == "help") {
        usage(stdout);
        return 0;
    }
    for (const auto& c : kestrel::cli::registeredCommands())
        if (name == c.name) return c.run(std::vector<std::string>(argv + 2, argv + argc));
    std::fprintf(stderr, "kestrel-cli: unknown command '%s'\n", name.c_str());
    usage(stderr);
    return 2;
}
