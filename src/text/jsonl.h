#pragma once
// JSON Lines for scripts: one object per line, each an event with its type and the time
// in the input it belongs to. kestrel-cli's output, and what is built on it, read them.
#include <string>
#include <string_view>

namespace kestrel {

// text as a JSON string at the end of out: quotes, backslashes and control characters
// escaped, everything else (UTF-8) as it is.
void appendJsonString(std::string& out, std::string_view text);

// One line {"type":TYPE,"time":SECONDS<fields>} and its line feed; fields is empty or
// more members, already JSON, each with its leading comma (",\"db\":12").
std::string jsonlEvent(std::string_view type, double seconds, std::string_view fields = {});

}  // namespace kestrel
