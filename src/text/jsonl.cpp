#include "text/jsonl.h"

#include <cstdio>

namespace kestrel {

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

std::string jsonlEvent(std::string_view type, double seconds, std::string_view fields) {
    std::string line = "{\"type\":";
    appendJsonString(line, type);
    char time[32];
    // Microseconds: finer than one sample at any rate the chain runs at.
    std::snprintf(time, sizeof time, ",\"time\":%.6f", seconds);
    line += time;
    line += fields;
    line += "}\n";
    return line;
}

}  // namespace kestrel
