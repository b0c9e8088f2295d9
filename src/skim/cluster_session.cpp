#include "skim/cluster_session.h"

#include <algorithm>
#include <cctype>

#include "text/numbers.h"

namespace kestrel::skim {
namespace {

// Telnet's command bytes.
constexpr unsigned char kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250,
                        kSe = 240;

constexpr std::size_t kLongestLine = 256;
constexpr std::size_t kLongestSubnegotiation = 512;
constexpr int kMostErrorsInARow = 20;
constexpr std::size_t kLongestCall = 20;

std::string trimmedUpper(const std::string& line) {
    const auto first = line.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    std::string s = line.substr(first, line.find_last_not_of(' ') - first + 1);
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// A call as a logger logs in with: letters, digits, '/' and an SSID's '-', one letter
// and one digit at least.
bool looksLikeCall(const std::string& s) {
    if (s.empty() || s.size() > kLongestCall) return false;
    const auto allowed = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '-';
    };
    return std::all_of(s.begin(), s.end(), allowed) &&
           std::any_of(s.begin(), s.end(),
                       [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }) &&
           std::any_of(s.begin(), s.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

}  // namespace

bool ClusterSession::receive(std::span<const char> bytes, SessionHandler& handler) {
    for (const char c : bytes) {
        if (ended_) return true;  // after BYE the rest is not read
        if (!takeByte(static_cast<unsigned char>(c), handler)) return false;
    }
    return true;
}

bool ClusterSession::takeByte(unsigned char byte, SessionHandler& handler) {
    switch (telnet_) {
        case Telnet::command:
            telnet_ = Telnet::data;
            if (byte >= kWill && byte <= kDont) {
                verb_ = byte;
                telnet_ = Telnet::option;
            } else if (byte == kSb) {
                subBytes_ = 0;
                telnet_ = Telnet::sub;
            } else if (byte == kIac) {
                return false;  // an escaped 255: binary data
            }
            return true;  // NOP, GA, AYT and the like ask for nothing
        case Telnet::option:
            telnet_ = Telnet::data;
            return refuse(byte, handler);
        case Telnet::sub:
        case Telnet::subCommand:
            if (++subBytes_ > kLongestSubnegotiation) return false;
            if (telnet_ == Telnet::subCommand)
                telnet_ = byte == kSe ? Telnet::data : Telnet::sub;
            else if (byte == kIac)
                telnet_ = Telnet::subCommand;
            return true;
        case Telnet::data:
            break;
    }
    const bool afterCr = lastWasCr_;
    lastWasCr_ = byte == '\r';
    if (byte == kIac) {
        telnet_ = Telnet::command;
        return true;
    }
    if (byte == '\r') return takeLine(handler);
    if (byte == '\n') return afterCr || takeLine(handler);
    if (byte == 0) return true;          // telnet's CR NUL
    if (byte == '\b' || byte == 0x7F) {  // typed by hand
        if (!line_.empty()) line_.pop_back();
        return true;
    }
    if (byte == '\t') byte = ' ';
    if (byte < 0x20 || byte > 0x7E || line_.size() >= kLongestLine) return false;
    line_ += static_cast<char>(byte);
    return true;
}

// We take up no option, on either side; DONT and WONT need no answer.
bool ClusterSession::refuse(unsigned char option, SessionHandler& handler) {
    bool* refused = verb_ == kDo ? refusedDo_ : verb_ == kWill ? refusedWill_ : nullptr;
    if (!refused || refused[option]) return true;
    refused[option] = true;
    const char answer[] = {static_cast<char>(kIac), static_cast<char>(verb_ == kDo ? kWont : kDont),
                           static_cast<char>(option)};
    handler.send(std::string_view(answer, sizeof answer));
    return true;
}

bool ClusterSession::takeLine(SessionHandler& handler) {
    const std::string line = trimmedUpper(line_);
    line_.clear();
    if (!loggedIn()) {
        if (line.empty()) {
            handler.send(kCallPrompt);
        } else if (looksLikeCall(line)) {
            call_ = line;
            handler.send("Hello " + call_ + ", this is " + node_ + ", Kestrel's RTTY skimmer.\r\n");
            handler.loggedIn();
        } else {
            if (++errors_ > kMostErrorsInARow) return false;
            handler.send("Sorry, that is not a call.\r\n" + std::string(kCallPrompt));
        }
        return true;
    }
    if (line.empty()) return true;
    if (command(line, handler)) {
        errors_ = 0;
        return true;
    }
    if (++errors_ > kMostErrorsInARow) return false;
    handler.send("Sorry, " + node_ + " knows only SH/DX and BYE.\r\n");
    return true;
}

// SH/DX, SHOW/DX, with "/N" or " N" for the newest N and a call prefix; BYE, QUIT.
bool ClusterSession::command(const std::string& line, SessionHandler& handler) {
    if (line == "BYE" || line == "QUIT" || line == "B" || line == "Q") {
        handler.send("73 de " + node_ + "\r\n");
        handler.bye();
        ended_ = true;
        return true;
    }
    std::string_view rest = line;
    if (rest.starts_with("SH/DX"))
        rest.remove_prefix(5);
    else if (rest.starts_with("SHOW/DX"))
        rest.remove_prefix(7);
    else
        return false;
    std::size_t most = static_cast<std::size_t>(-1);
    std::string_view prefix;
    while (!rest.empty()) {
        if (rest[0] != ' ' && rest[0] != '/') return false;
        rest.remove_prefix(1);
        const std::string_view word = rest.substr(0, rest.find_first_of(" /"));
        rest.remove_prefix(word.size());
        if (word.empty()) continue;
        if (const std::optional<std::size_t> n = numberIn<std::size_t>(word))
            most = *n;
        else
            prefix = word;
    }
    handler.showDx(most, prefix);
    return true;
}

}  // namespace kestrel::skim
