#pragma once
// The MMTTY codes by name, as logs and the command line print them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// "RXM_SETMARK" for 9, "TXM_MARK" for 32775; a code without a name gives its number.
std::string mmttyCodeName(std::uint32_t code);

// The code an RXM_ or TXM_ name stands for; nullopt for any other text.
std::optional<std::uint32_t> mmttyCodeNamed(std::string_view name);

}  // namespace kestrel
