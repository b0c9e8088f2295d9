#pragma once
// Names and log lines for the MMTTY traffic between a logger and Kestrel: what the logger
// substitute (loggersim) prints for every command it sends and notification it receives.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/logger_code_names.h"

namespace kestrel {

// An RXM_ or TXM_ name, or a number; nullopt for anything else.
std::optional<std::uint32_t> parseMmttyCode(std::string_view text);

// A decimal integer with an optional minus sign, or 0x followed by hexadecimal digits.
std::optional<std::int64_t> parseInteger(std::string_view text);

// Which way a message went, as the log shows it.
enum class Direction : char { Sent = '>', Received = '<' };

// One log line: milliseconds since start, the direction, the code's name and the value,
// with the character itself after a TXM_CHAR or RXM_CHAR value that is printable:
// "  1234 < TXM_CHAR 65 'A'".
std::string formatTraffic(std::int64_t ms, Direction direction, std::uint32_t code,
                          std::int64_t value);

// Any other log line, stamped the same way: "  1234 text".
std::string stampedLine(std::int64_t ms, std::string_view text);

}  // namespace kestrel
