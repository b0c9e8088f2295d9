#include "settings/ini_text.h"

namespace kestrel {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

struct Line {
    std::size_t begin;       // first byte of the line
    std::size_t contentEnd;  // first byte of its line break (or the end of the text)
    std::size_t end;         // first byte after its line break
};

// The profile functions also take the end-of-file mark Ctrl-Z as a blank.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\x1A';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

// Walks the lines of a text one at a time, so that a text of many lines costs no more
// memory than its bytes. Lines end at "\r\n", "\n" or a lone "\r". A byte-order mark is
// not part of the first line.
class LineCursor {
  public:
    explicit LineCursor(std::string_view text)
        : text_(text), at_(text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0) {}

    bool next(Line& line) {
        if (at_ >= text_.size()) return false;
        const std::size_t breakAt = text_.find_first_of("\r\n", at_);
        if (breakAt == std::string_view::npos) {
            line = {at_, text_.size(), text_.size()};
        } else {
            const bool crlf = text_.compare(breakAt, 2, "\r\n") == 0;
            line = {at_, breakAt, breakAt + (crlf ? 2 : 1)};
        }
        at_ = line.end;
        return true;
    }

  private:
    std::string_view text_;
    std::size_t at_;
};

// The line break the file already uses (its first one), or CRLF as Windows writes.
std::string_view lineBreakOf(std::string_view text) {
    const std::size_t at = text.find_first_of("\r\n");
    if (at == std::string_view::npos) return "\r\n";
    if (text.compare(at, 2, "\r\n") == 0) return "\r\n";
    return text[at] == '\n' ? "\n" : "\r";
}

// What one line holds.
struct Entry {
    enum class Kind { other, section, key } kind = Kind::other;
    std::string_view name;
    std::size_t valueBegin = 0;  // offsets in the whole text, for a key
    std::size_t valueEnd = 0;
};

Entry parseLine(std::string_view text, const Line& line) {
    const std::string_view raw = text.substr(line.begin, line.contentEnd - line.begin);
    const std::string_view content = trim(raw);
    Entry entry;
    if (content.starts_with('[')) {
        const std::size_t close = content.rfind(']');
        if (close != std::string_view::npos) {
            entry.kind = Entry::Kind::section;
            entry.name = trim(content.substr(1, close - 1));
            return entry;
        }
    }
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) return entry;
    entry.kind = Entry::Kind::key;
    entry.name = trim(content.substr(0, equals));
    const std::string_view value = trim(content.substr(equals + 1));
    const std::size_t valueOffset =
        value.empty() ? static_cast<std::size_t>(content.data() + content.size() - text.data())
                      : static_cast<std::size_t>(value.data() - text.data());
    entry.valueBegin = valueOffset;
    entry.valueEnd = valueOffset + value.size();
    return entry;
}

// Where a section's lines are in the text, and where key is among them.
struct Place {
    bool sectionFound = false;
    Line lastKeyLine{};  // the section's last key line, or its header when it has none
    bool keyFound = false;
    Entry key;
    std::optional<Line> lastLine;  // the text's last line, when the section is missing
};

Place locate(std::string_view text, std::string_view section, std::string_view key) {
    Place place;
    LineCursor cursor(text);
    Line line;
    while (cursor.next(line)) {
        place.lastLine = line;
        const Entry entry = parseLine(text, line);
        if (entry.kind == Entry::Kind::section) {
            if (place.sectionFound) break;  // the end of the first matching section
            if (!sameName(entry.name, section)) continue;
            place.sectionFound = true;
            place.lastKeyLine = line;
            continue;
        }
        if (!place.sectionFound || entry.kind != Entry::Kind::key) continue;
        place.lastKeyLine = line;
        if (!place.keyFound && sameName(entry.name, key)) {
            place.keyFound = true;
            place.key = entry;
        }
    }
    return place;
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

bool breaksLine(char c) {
    return c == '\r' || c == '\n' || c == '\0';
}

// A name that reads back as itself: not empty, no blanks at its ends, nothing that
// would end the line or the name early.
bool isReadableName(std::string_view name, std::string_view forbidden) {
    if (name.empty() || trim(name).size() != name.size()) return false;
    for (char c : name)
        if (breaksLine(c) || forbidden.find(c) != std::string_view::npos) return false;
    return true;
}

std::string_view firstLineOf(std::string_view value) {
    for (std::size_t i = 0; i < value.size(); ++i)
        if (breaksLine(value[i])) return value.substr(0, i);
    return value;
}

}  // namespace

std::optional<std::string> IniText::value(std::string_view section, std::string_view key) const {
    const std::string_view text = bytes_;
    const Place place = locate(text, section, key);
    if (!place.keyFound) return std::nullopt;
    std::string_view value =
        text.substr(place.key.valueBegin, place.key.valueEnd - place.key.valueBegin);
    value = value.substr(0, value.find('\0'));
    return std::string(unquote(value));
}

IniText IniText::sectionOnly(std::string_view section) const {
    std::string kept;
    LineCursor cursor(bytes_);
    Line line;
    bool inSection = false;
    while (cursor.next(line)) {
        const Entry entry = parseLine(bytes_, line);
        if (entry.kind == Entry::Kind::section) {
            if (inSection) break;
            inSection = sameName(entry.name, section);
        }
        if (inSection && entry.kind != Entry::Kind::other)
            kept.append(bytes_, line.begin, line.contentEnd - line.begin).append("\n");
    }
    return IniText(std::move(kept));
}

bool IniText::setValue(std::string_view section, std::string_view key, std::string_view value) {
    if (!isReadableName(section, "]") || !isReadableName(key, "=") || key.front() == '[')
        return false;
    value = firstLineOf(value);
    const Place place = locate(bytes_, section, key);
    if (place.keyFound) {
        bytes_.replace(place.key.valueBegin, place.key.valueEnd - place.key.valueBegin, value);
        return true;
    }
    // The new key goes after the section's last key, or a new section at the end.
    const std::optional<Line> after =
        place.sectionFound ? std::optional<Line>(place.lastKeyLine) : place.lastLine;
    const std::string_view lineBreak = lineBreakOf(bytes_);
    std::string added;
    if (after && after->end == after->contentEnd) added.append(lineBreak);  // no final break
    if (!place.sectionFound) added.append("[").append(section).append("]").append(lineBreak);
    added.append(key).append("=").append(value).append(lineBreak);
    bytes_.insert(place.sectionFound ? after->end : bytes_.size(), added);
    return true;
}

}  // namespace kestrel
