#include "cli/live_input.h"

#include "platform/audio_input_port.h"
#include "platform/interrupt.h"

namespace kestrel::cli {

bool takeLiveInputOptions(std::vector<std::string>& args, LiveInputOptions& options,
                          std::string& error) {
    for (std::size_t k = 0; k < args.size();) {
        if (args[k] == "--list-devices") {
            options.listDevices = true;
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(k));
        } else if (args[k] == "--device") {
            if (k + 1 >= args.size() || args[k + 1].empty())
                return error = "--device needs a name", false;
            options.device = args[k + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(k),
                       args.begin() + static_cast<std::ptrdiff_t>(k + 2));
        } else {
            ++k;
        }
    }
    return true;
}

int listLiveInputs(std::FILE* out, const char* command) {
    std::string error;
    const auto names = audioInputNames(error);
    if (!error.empty()) {
        std::fprintf(stderr, "kestrel-cli %s: %s\n", command, error.c_str());
        return 1;
    }
    for (const AudioInputName& n : names) {
        if (n.description.empty() || n.description == n.name)
            std::fprintf(out, "%s\n", n.name.c_str());
        else
            std::fprintf(out, "%s\t(%s)\n", n.description.c_str(), n.name.c_str());
    }
    return 0;
}

bool readLiveInput(const std::string& device,
                   const std::function<bool(std::span<const std::int16_t>)>& take,
                   std::string& error) {
    catchInterrupts();
    const auto input = openAudioInput(device, error);
    if (!input) return false;
    std::vector<std::int16_t> block(kLiveInputRate / 10);
    while (!interruptRequested) {
        const std::size_t n = input->read(block, interruptRequested);
        if (n > 0 && !take(std::span<const std::int16_t>(block.data(), n))) return true;
        if (n < block.size() && !interruptRequested) {
            error = input->error().empty() ? "the input stopped" : input->error();
            return false;
        }
    }
    return true;
}

}  // namespace kestrel::cli
