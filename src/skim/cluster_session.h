#pragma once
// One client of the cluster service, as bytes in and answers out: the telnet layer (every
// option the client offers or asks for is refused once, subnegotiations are skipped), the
// login, and the few commands a logger sends to a cluster. A client that sends what no
// telnet client types (binary bytes, endless lines, error after error) is to be dropped.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace kestrel::skim {

inline constexpr const char* kCallPrompt = "Please enter your call: ";

// What the session asks of the service, in the order the client's lines asked it.
class SessionHandler {
  public:
    virtual ~SessionHandler() = default;
    virtual void send(std::string_view bytes) = 0;
    // The client gave its call: the recent spots follow, then every new one.
    virtual void loggedIn() = 0;
    // SH/DX: the recent spots, at most `most` of them (the newest), of calls that begin
    // with callPrefix when it is not empty.
    virtual void showDx(std::size_t most, std::string_view callPrefix) = 0;
    // BYE or QUIT: close once everything before it has gone out.
    virtual void bye() = 0;
};

class ClusterSession {
  public:
    explicit ClusterSession(std::string node) : node_(std::move(node)) {}
    // Takes what the client sent. False when the client is to be dropped; nothing is
    // asked of the handler after that, nor after bye.
    bool receive(std::span<const char> bytes, SessionHandler& handler);
    bool loggedIn() const { return !call_.empty(); }
    const std::string& call() const { return call_; }

  private:
    enum class Telnet { data, command, option, sub, subCommand };
    bool takeByte(unsigned char byte, SessionHandler& handler);
    bool refuse(unsigned char option, SessionHandler& handler);
    bool takeLine(SessionHandler& handler);
    bool command(const std::string& line, SessionHandler& handler);

    std::string node_;  // the spotter's name, as "CALL-#"
    std::string call_;
    std::string line_;
    Telnet telnet_ = Telnet::data;
    unsigned char verb_ = 0;
    std::size_t subBytes_ = 0;
    bool lastWasCr_ = false;
    bool ended_ = false;
    int errors_ = 0;  // unknown lines in a row
    // Options already refused, by direction: a refusal is sent once, so that two parties
    // that both insist cannot loop.
    bool refusedDo_[256] = {};
    bool refusedWill_[256] = {};
};

}  // namespace kestrel::skim
