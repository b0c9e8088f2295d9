// Scenario grammar. One step per line; blank lines and lines whose first non-blank
// character is '#' are ignored. Words are separated by blanks; a word may be written in
// double quotes to hold blanks, with the escapes \" \\ \n \r \t. Times are milliseconds.
// CODE is an RXM_/TXM_ name or a number; VALUE is a decimal or 0x-hexadecimal integer.
//
//   send CODE [VALUE|logger]        post one command (value 0 when left out; "logger" is
//                                   loggersim's own window handle)
//   text TEXT                       post each character of TEXT as RXM_CHAR; TEXT is the
//                                   rest of the line, as written. Macros: {TX} RXM_PTT 2,
//                                   {RX} RXM_PTT 1, {ABORT} RXM_PTT 0, {CLEAR} RXM_PTT 4,
//                                   {CR} and {LF} characters 13 and 10, {N} character N
//   wait MS                         handle traffic for MS
//   expect CODE [VALUE|*] [within MS]
//                                   a notification after the last matched one
//   expect-none CODE [VALUE|*] for MS
//                                   no such notification after the last matched one
//   expect-text TEXT [within MS]    the TXM_CHAR characters after the last matched
//                                   notification contain TEXT
//   expect-msgbox CAPTION [TEXT] [within MS]
//                                   Kestrel shows a message box with that caption (and
//                                   text); it is answered with OK
//   expect-no-msgbox [CAPTION] for MS
//                                   no such message box appears
//   expect-title TITLE [within MS]  Kestrel's window (the last TXM_HANDLE) has that title
//   expect-exit [CODE] [within MS]  Kestrel's process ends (with that exit code)
//   shared-bytes OFFSET HEX...      the shared block holds these bytes at OFFSET
//                                   ("0a000000" or "0a 00 00 00")
//   open-file PATH [within MS]      fill Kestrel's open-file dialog with PATH and press OK
//
// "within" defaults to 5000 ms.
#include "loggersim/scenario.h"

#include <algorithm>
#include <array>

#include "loggersim/traffic.h"
#include "platform/logger_codes.h"

namespace kestrel {
namespace {

struct Token {
    std::string text;
    bool quoted = false;
};
using Tokens = std::vector<Token>;
using ActionOrError = std::variant<ScenarioAction, std::string>;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (isBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (isBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::optional<char> escapedChar(char c) {
    switch (c) {
        case '"':
            return '"';
        case '\\':
            return '\\';
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
        default:
            return std::nullopt;
    }
}

// Reads a quoted word starting after its opening quote; advances pos past the closing one.
std::variant<Token, std::string> quotedWord(std::string_view line, std::size_t& pos) {
    Token token{{}, true};
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == '"') {
            if (pos < line.size() && !isBlank(line[pos]))
                return "a quoted word must end at a blank";
            return token;
        }
        if (c != '\\') {
            token.text += c;
            continue;
        }
        const std::optional<char> e = pos < line.size() ? escapedChar(line[pos]) : std::nullopt;
        if (!e) return "unknown escape in a quoted word (use \\\" \\\\ \\n \\r \\t)";
        token.text += *e;
        ++pos;
    }
    return "missing closing quote";
}

std::variant<Tokens, std::string> tokenize(std::string_view line) {
    Tokens tokens;
    std::size_t pos = 0;
    while (pos < line.size()) {
        if (isBlank(line[pos])) {
            ++pos;
            continue;
        }
        if (line[pos] == '"') {
            ++pos;
            auto word = quotedWord(line, pos);
            if (auto* error = std::get_if<std::string>(&word)) return *error;
            tokens.push_back(std::get<Token>(word));
            continue;
        }
        const std::size_t start = pos;
        while (pos < line.size() && !isBlank(line[pos])) ++pos;
        tokens.push_back({std::string(line.substr(start, pos - start)), false});
    }
    return tokens;
}

std::optional<std::int64_t> parseDuration(std::string_view text) {
    const std::optional<std::int64_t> ms = parseInteger(text);
    if (!ms || *ms < 0) return std::nullopt;
    return ms;
}

// Takes a trailing "within MS" or "for MS" off args. With no fallback the pair is required.
std::variant<std::int64_t, std::string> takeDuration(Tokens& args, std::string_view keyword,
                                                     std::optional<std::int64_t> fallback) {
    const std::size_t n = args.size();
    if (n >= 2 && !args[n - 2].quoted && args[n - 2].text == keyword) {
        const std::optional<std::int64_t> ms = parseDuration(args[n - 1].text);
        if (!ms) return "'" + args[n - 1].text + "' is not a time in milliseconds";
        args.resize(n - 2);
        return *ms;
    }
    if (fallback) return *fallback;
    return "needs '" + std::string(keyword) + " MS' at the end";
}

std::variant<std::uint32_t, std::string> codeOf(const Token& token) {
    const std::optional<std::uint32_t> code = parseMmttyCode(token.text);
    if (!code) return "'" + token.text + "' is not an RXM_/TXM_ name or a code number";
    return *code;
}

// An expected value: "*" or nothing for any value.
std::variant<std::optional<std::int64_t>, std::string> expectedValue(const Tokens& args,
                                                                     std::size_t index) {
    if (index >= args.size() || (args[index].text == "*" && !args[index].quoted))
        return std::optional<std::int64_t>{};
    const std::optional<std::int64_t> value = parseInteger(args[index].text);
    if (!value) return "'" + args[index].text + "' is not a value (an integer or *)";
    return std::optional<std::int64_t>{*value};
}

std::string wrongCount(std::string_view usage) {
    return "usage: " + std::string(usage);
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 128; });
}

ActionOrError parseSend(Tokens args) {
    if (args.empty() || args.size() > 2) return wrongCount("send CODE [VALUE|logger]");
    const auto code = codeOf(args[0]);
    if (auto* error = std::get_if<std::string>(&code)) return *error;
    ScenarioCommand command{std::get<std::uint32_t>(code), 0, false};
    if (args.size() == 2 && args[1].text == "logger" && !args[1].quoted) {
        command.useLoggerHandle = true;
    } else if (args.size() == 2) {
        const std::optional<std::int64_t> value = parseInteger(args[1].text);
        if (!value) return "'" + args[1].text + "' is not a value (an integer or logger)";
        command.value = *value;
    }
    return SendStep{{command}};
}

ActionOrError parseWait(Tokens args) {
    if (args.size() != 1) return wrongCount("wait MS");
    const std::optional<std::int64_t> ms = parseDuration(args[0].text);
    if (!ms) return "'" + args[0].text + "' is not a time in milliseconds";
    return WaitStep{*ms};
}

// The shared part of expect and expect-none: CODE [VALUE|*].
std::variant<std::pair<std::uint32_t, std::optional<std::int64_t>>, std::string> codeAndValue(
    const Tokens& args, std::string_view usage) {
    if (args.empty() || args.size() > 2) return wrongCount(usage);
    const auto code = codeOf(args[0]);
    if (auto* error = std::get_if<std::string>(&code)) return *error;
    const auto value = expectedValue(args, 1);
    if (auto* error = std::get_if<std::string>(&value)) return *error;
    return std::pair{std::get<std::uint32_t>(code), std::get<std::optional<std::int64_t>>(value)};
}

ActionOrError parseExpect(Tokens args) {
    const auto ms = takeDuration(args, "within", kDefaultWithinMs);
    if (auto* error = std::get_if<std::string>(&ms)) return *error;
    const auto match = codeAndValue(args, "expect CODE [VALUE|*] [within MS]");
    if (auto* error = std::get_if<std::string>(&match)) return *error;
    const auto& [code, value] = std::get<0>(match);
    return ExpectStep{code, value, std::get<std::int64_t>(ms)};
}

ActionOrError parseExpectNone(Tokens args) {
    const auto ms = takeDuration(args, "for", std::nullopt);
    if (auto* error = std::get_if<std::string>(&ms)) return *error;
    const auto match = codeAndValue(args, "expect-none CODE [VALUE|*] for MS");
    if (auto* error = std::get_if<std::string>(&match)) return *error;
    const auto& [code, value] = std::get<0>(match);
    return ExpectNoneStep{code, value, std::get<std::int64_t>(ms)};
}

ActionOrError parseExpectText(Tokens args) {
    const auto ms = takeDuration(args, "within", kDefaultWithinMs);
    if (auto* error = std::get_if<std::string>(&ms)) return *error;
    if (args.size() != 1 || args[0].text.empty()) return wrongCount("expect-text TEXT [within MS]");
    if (!isAscii(args[0].text)) return "expect-text takes ASCII characters only";
    return ExpectTextStep{args[0].text, std::get<std::int64_t>(ms)};
}

ActionOrError parseExpectMessageBox(Tokens args) {
    const auto ms = takeDuration(args, "within", kDefaultWithinMs);
    if (auto* error = std::get_if<std::string>(&ms)) return *error;
    if (args.empty() || args.size() > 2)
        return wrongCount("expect-msgbox CAPTION [TEXT] [within MS]");
    ExpectMessageBoxStep step{args[0].text, std::nullopt, std::get<std::int64_t>(ms)};
    if (args.size() == 2) step.text = args[1].text;
    return step;
}

ActionOrError parseExpectNoMessageBox(Tokens args) {
    const auto ms = takeDuration(args, "for", std::nullopt);
    if (auto* error = std::get_if<std::string>(&ms)) return *error;
    if (args.size() > 1) return wrongCount("expect-no-msgbox [CAPTION] for MS");
    ExpectNoMessageBoxStep step{std::nullopt, std::get<std::int64_t>(ms)};
    if (args.size() == 1) step.caption = args[0].text;
    return step;
}

ActionOrError parseExpectTitle(Tokens args) {
    const auto ms = takeDuration(args, "within", kDefaultWithinMs);
    if (auto* error = std::get_if<std::string>(&ms)) return *error;
    if (args.size() != 1) return wrongCount("expect-title TITLE [within MS]");
    return ExpectTitleStep{args[0].text, std::get<std::int64_t>(ms)};
}

ActionOrError parseExpectExit(Tokens args) {
    const auto ms = takeDuration(args, "within", kDefaultWithinMs);
    if (auto* error = std::get_if<std::string>(&ms)) return *error;
    if (args.size() > 1) return wrongCount("expect-exit [CODE] [within MS]");
    ExpectExitStep step{std::nullopt, std::get<std::int64_t>(ms)};
    if (args.size() == 1) {
        step.exitCode = parseInteger(args[0].text);
        if (!step.exitCode) return "'" + args[0].text + "' is not an exit code";
    }
    return step;
}

std::optional<std::uint8_t> hexByte(std::string_view two) {
    const std::optional<std::int64_t> v = parseInteger("0x" + std::string(two));
    if (!v) return std::nullopt;
    return static_cast<std::uint8_t>(*v);
}

ActionOrError parseSharedBytes(Tokens args) {
    if (args.size() < 2) return wrongCount("shared-bytes OFFSET HEX...");
    const std::optional<std::int64_t> offset = parseInteger(args[0].text);
    if (!offset || *offset < 0) return "'" + args[0].text + "' is not an offset";
    SharedBytesStep step{static_cast<std::size_t>(*offset), {}};
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& hex = args[i].text;
        if (hex.size() % 2 != 0) return "'" + hex + "' is not a whole number of hex bytes";
        for (std::size_t k = 0; k < hex.size(); k += 2) {
            const std::optional<std::uint8_t> byte = hexByte(std::string_view(hex).substr(k, 2));
            if (!byte) return "'" + hex + "' is not hexadecimal";
            step.bytes.push_back(*byte);
        }
    }
    return step;
}

ActionOrError parseOpenFile(Tokens args) {
    const auto ms = takeDuration(args, "within", kDefaultWithinMs);
    if (auto* error = std::get_if<std::string>(&ms)) return *error;
    if (args.size() != 1 || args[0].text.empty()) return wrongCount("open-file PATH [within MS]");
    return OpenFileStep{args[0].text, std::get<std::int64_t>(ms)};
}

struct Keyword {
    std::string_view word;
    ActionOrError (*parse)(Tokens);
};

constexpr std::array kKeywords{
    Keyword{"send", parseSend},
    Keyword{"wait", parseWait},
    Keyword{"expect", parseExpect},
    Keyword{"expect-none", parseExpectNone},
    Keyword{"expect-text", parseExpectText},
    Keyword{"expect-msgbox", parseExpectMessageBox},
    Keyword{"expect-no-msgbox", parseExpectNoMessageBox},
    Keyword{"expect-title", parseExpectTitle},
    Keyword{"expect-exit", parseExpectExit},
    Keyword{"shared-bytes", parseSharedBytes},
    Keyword{"open-file", parseOpenFile},
};

struct Macro {
    std::string_view name;
    ScenarioCommand command;
};

constexpr std::array kTextMacros{
    Macro{"TX", {RXM_PTT, 2, false}},    Macro{"RX", {RXM_PTT, 1, false}},
    Macro{"ABORT", {RXM_PTT, 0, false}}, Macro{"CLEAR", {RXM_PTT, 4, false}},
    Macro{"CR", {RXM_CHAR, 13, false}},  Macro{"LF", {RXM_CHAR, 10, false}},
};

std::optional<ScenarioCommand> macroCommand(std::string_view name) {
    for (const Macro& m : kTextMacros) {
        if (m.name == name) return m.command;
    }
    const std::optional<std::int64_t> code = parseInteger(name);
    if (code && *code >= 0 && *code <= 0xFFFF) return ScenarioCommand{RXM_CHAR, *code, false};
    return std::nullopt;
}

// The rest of the line after "text" and the one blank that follows it.
std::string_view textArgument(std::string_view line) {
    line = line.substr(line.find("text") + 4);
    if (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace

std::variant<std::vector<ScenarioCommand>, std::string> textCommands(std::string_view text) {
    std::vector<ScenarioCommand> commands;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 128) return "text takes ASCII characters only; write others as {N}";
        if (c != '{') {
            commands.push_back({RXM_CHAR, c, false});
            continue;
        }
        const std::size_t close = text.find('}', i);
        if (close == std::string_view::npos) return "'{' without '}' (write '{' as {123})";
        const std::string_view name = text.substr(i + 1, close - i - 1);
        const std::optional<ScenarioCommand> command = macroCommand(name);
        if (!command) return "unknown macro {" + std::string(name) + "}";
        commands.push_back(*command);
        i = close;
    }
    if (commands.empty()) return "text needs something to send";
    return commands;
}

std::variant<std::monostate, ScenarioAction, std::string> parseScenarioLine(std::string_view line) {
    const std::string_view content = trimmed(line);
    if (content.empty() || content.front() == '#') return std::monostate{};
    const std::string_view word =
        content.substr(0, std::min(content.size(), content.find_first_of(" \t")));
    if (word == "text") {
        auto commands = textCommands(textArgument(line));
        if (auto* error = std::get_if<std::string>(&commands)) return *error;
        return ScenarioAction{
            SendStep{std::get<std::vector<ScenarioCommand>>(std::move(commands))}};
    }
    auto tokens = tokenize(content.substr(word.size()));
    if (auto* error = std::get_if<std::string>(&tokens)) return *error;
    for (const Keyword& keyword : kKeywords) {
        if (keyword.word != word) continue;
        auto result = keyword.parse(std::get<Tokens>(std::move(tokens)));
        if (auto* error = std::get_if<std::string>(&result)) return *error;
        return std::get<ScenarioAction>(std::move(result));
    }
    return "unknown command '" + std::string(word) + "'";
}

ParsedScenario parseScenario(std::string_view text) {
    ParsedScenario parsed;
    int number = 0;
    for (std::size_t start = 0; start <= text.size(); ++number) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        auto result = parseScenarioLine(line);
        if (auto* error = std::get_if<std::string>(&result)) {
            parsed.errors.push_back("line " + std::to_string(number + 1) + ": " + *error);
        } else if (auto* action = std::get_if<ScenarioAction>(&result)) {
            parsed.steps.push_back({number + 1, std::string(trimmed(line)), std::move(*action)});
        }
    }
    return parsed;
}

}  // namespace kestrel
