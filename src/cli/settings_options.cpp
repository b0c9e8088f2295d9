#include "cli/settings_options.h"

#include "app/settings_options.h"

namespace kestrel::cli {

bool takeSettingsOptions(std::vector<std::string>& args, ModemState& state, std::string& error) {
    return applySettingsOptions(args, state, error);
}

}  // namespace kestrel::cli
