// Any bytes a cluster client sends, in pieces of any size: the session answers only with
// telnet refusals and short lines of text, logs in once before anything else is asked,
// and asks for nothing after BYE or after it gave the client up.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "skim/cluster_session.h"

namespace {

struct Recorder final : kestrel::skim::SessionHandler {
    void send(std::string_view bytes) override {
        FUZZ_CHECK(!over);
        if (bytes.size() == 3 && bytes[0] == '\xff') return;  // IAC WONT or DONT, option
        FUZZ_CHECK(bytes.size() < 200);
        for (const char c : bytes) FUZZ_CHECK((c >= ' ' && c <= '~') || c == '\r' || c == '\n');
    }
    void loggedIn() override {
        FUZZ_CHECK(!over && !in);
        in = true;
    }
    void showDx(std::size_t, std::string_view prefix) override {
        FUZZ_CHECK(!over && in && prefix.find_first_of(" /") == std::string_view::npos);
    }
    void bye() override {
        FUZZ_CHECK(!over && in);
        over = true;
    }
    bool in = false, over = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] % 16;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    kestrel::skim::ClusterSession session("KESTREL-#");
    Recorder recorder;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        const std::string_view part = bytes.substr(at, piece);
        if (!session.receive(part, recorder)) {
            recorder.over = true;  // dropped: nothing more is read from it
            break;
        }
    }
    FUZZ_CHECK(session.loggedIn() == recorder.in);
    FUZZ_CHECK(session.call().size() <= 20);
    return 0;
}
