// The cluster service over real sockets on the loopback: what a logger's cluster window
// sees, and clients that misbehave beside one that does not.
#include "skim/cluster_service.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>

#include "fakes/fakes.h"

namespace kestrel::skim {
namespace {

using namespace std::string_literals;

constexpr int kPatienceMs = 10000;

// A logger's end of the connection.
struct Client {
    explicit Client(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_port = htons(static_cast<std::uint16_t>(port));
        where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(connect(fd_, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
    }
    ~Client() { close(fd_); }

    void send(const std::string& bytes) {
        ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }
    // Reads until what came holds text; returns what came up to and with it, and keeps
    // the rest. Empty when the connection ends first or nothing comes in time.
    std::string until(const std::string& text) {
        for (;;) {
            if (const auto at = held_.find(text); at != std::string::npos) {
                std::string got = held_.substr(0, at + text.size());
                held_.erase(0, at + text.size());
                return got;
            }
            if (!receive()) return {};
        }
    }
    // True when the service ends the connection (everything before the end is read).
    bool ended() {
        while (receive()) held_.clear();
        return closed_;
    }
    // The service reset the connection, while nothing of it has been read.
    bool reset() const {
        pollfd p{fd_, 0, 0};
        return poll(&p, 1, 0) == 1 && (p.revents & (POLLERR | POLLHUP));
    }
    void login() {
        ASSERT_NE(until(kCallPrompt), "");
        send("n0call\r\n");
        ASSERT_NE(until("skimmer.\r\n"), "");
    }

  private:
    bool receive() {
        pollfd p{fd_, POLLIN, 0};
        char buffer[65536];
        if (poll(&p, 1, kPatienceMs) != 1) return false;
        const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        closed_ = n <= 0;
        if (n > 0) held_.append(buffer, static_cast<std::size_t>(n));
        return n > 0;
    }
    int fd_;
    std::string held_;
    bool closed_ = false;
};

Spot spotOf(const std::string& call, double time, std::optional<double> khz = 14083.4) {
    return {.time = time, .markHz = 2125, .freqKhz = khz, .call = call, .snrDb = 12, .kind = "CQ"};
}

// The port the service listens on, once started.
int started(ClusterService& service) {
    std::string error;
    const int port = service.start(error);
    EXPECT_GT(port, 0) << error;
    return port;
}

struct ClusterServiceTest : ::testing::Test {
    // 15:16 UTC at 650 s into the input.
    ClusterService service{{0, "127.0.0.1", "KESTREL"}, (15 * 60 + 16) * 60 - 650};
    int port = started(service);
};

TEST_F(ClusterServiceTest, LoggerSeesRecentSpotsThenNewOnesAndMayAsk) {
    service.spot(spotOf("OLD1X", 10));  // gone by the time the client comes
    service.spot(spotOf("K1ABC", 650));
    service.spot(spotOf("DL2XYZ", 700, std::nullopt));
    Client logger(port);
    ASSERT_EQ(logger.until(kCallPrompt), kCallPrompt);
    // Telnet options offered and asked for are refused, each once.
    logger.send("\xff\xfd\x01\xff\xfb\x1f\xff\xfd\x01\xff\xfa\x1f\x00\x50\xff\xf0 n0call\r\n"s);
    EXPECT_EQ(logger.until("\xff\xfc\x01\xff\xfe\x1f"), "\xff\xfc\x01\xff\xfe\x1f");
    std::string welcome = logger.until("DL2XYZ");
    welcome += logger.until("\r\n");
    EXPECT_NE(welcome.find("Hello N0CALL"), std::string::npos) << welcome;
    EXPECT_EQ(welcome.find("OLD1X"), std::string::npos) << welcome;
    EXPECT_NE(
        welcome.find(
            "\r\nDX de KESTREL-#:  14083.4  K1ABC        RTTY  12 dB  45 BPS  CQ      1516Z\r\n"
            "DX de KESTREL-#:    2.125  DL2XYZ       RTTY  12 dB  45 BPS  CQ      1516Z\r\n"),
        std::string::npos)
        << welcome;

    logger.send("sh/dx/1\r\nset/skimmer\r\n");
    EXPECT_NE(logger.until("\r\n").find("DL2XYZ"), std::string::npos);
    EXPECT_EQ(logger.until("\r\n").substr(0, 5), "Sorry");
    logger.send("SH/DX\r\n");
    EXPECT_NE(logger.until("\r\n").find("K1ABC"), std::string::npos);
    EXPECT_NE(logger.until("\r\n").find("DL2XYZ"), std::string::npos);
    service.spot(spotOf("W1AW", 720));
    EXPECT_NE(logger.until("\r\n").find("W1AW"), std::string::npos);
    logger.send("bye\r\n");
    EXPECT_NE(logger.until("\r\n").find("73"), std::string::npos);
    EXPECT_TRUE(logger.ended());
    Client late(port);  // still connected when the service stops: closed with it
    ASSERT_EQ(late.until(kCallPrompt), kCallPrompt);
    service.stop();
    EXPECT_TRUE(late.ended());
}

// A skimmer restarted at once on the same port gets it, though the service closed a
// connection on it a moment ago (that connection still waits out its time on the port).
TEST(ClusterServiceRestart, TakesTheSamePortAgain) {
    int port = 0;
    {
        ClusterService first{{0, "127.0.0.1", "KESTREL"}, 0};
        port = started(first);
        Client logger(port);
        logger.login();
        logger.send("bye\r\n");
        EXPECT_TRUE(logger.ended());
    }
    ClusterService again{{port, "127.0.0.1", "KESTREL"}, 0};
    EXPECT_EQ(started(again), port);
}

// The system's sockets, holding back the last byte waiting for a connection once the
// login is past: a logger's queue that never empties while megabytes pass through it;
// and every fifth send takes a single byte. Closes are counted.
struct SlowLink final : TcpPort {
    int listen(const std::string& address, int at, std::string& error) override {
        return real->listen(address, at, error);
    }
    bool wait(std::span<TcpWatch> watched, int timeoutMs) override {
        return real->wait(watched, timeoutMs);
    }
    int accept() override { return real->accept(); }
    long receive(int connection, std::span<char> bytes) override {
        return real->receive(connection, bytes);
    }
    long send(int connection, std::span<const char> bytes) override {
        const std::size_t held = carried > 4096 ? 1 : 0;
        if (bytes.size() <= held) return 0;
        const long n = real->send(connection, bytes.first(++sends % 5 ? bytes.size() - held : 1));
        carried += std::max(n, 0L);
        return n;
    }
    void close(int connection, bool discard) override {
        real->close(connection, discard);
        ++closed;
    }
    std::unique_ptr<TcpPort> real = makeTcpPort();
    long carried = 0;
    int sends = 0;
    std::atomic<int> closed{0};
};

// Beside the logger, a client that sends garbage is dropped, and one that never reads
// again is dropped once its queue and the sockets' buffers have filled (megabytes of
// spots), the logger served all the while. And a logger that goes away is forgotten: its
// connection closed, nothing more queued for it.
TEST(ClusterServiceSlowLink, EveryByteArrivesOnceAndInOrder) {
    auto slowLink = std::make_unique<SlowLink>();
    const SlowLink& link = *slowLink;
    ClusterService service{{0, "127.0.0.1", "KESTREL"}, 0, std::move(slowLink)};
    const int port = started(service);
    auto logger = std::make_unique<Client>(port);
    Client garbage(port), stalled(port);
    logger->login();
    stalled.login();
    garbage.send(std::string("\x01\x80\xfe\x00garbage\x7f\x03", 12));
    EXPECT_TRUE(garbage.ended());
    std::string sent, seen;
    std::size_t stalledAfter = 0;  // the bytes sent when the stalled client was dropped
    for (int spots = 0; sent.size() < (std::size_t{3} << 20) || stalledAfter == 0;) {
        for (int k = 0; k < 2000; ++k, ++spots) {
            const Spot s = spotOf("K" + std::to_string(spots) + "X", 700);
            sent += clusterSpotLine(s, "KESTREL", 0) + "\r\n";
            service.spot(s);
        }
        const std::string got = logger->until(" K" + std::to_string(spots - 1) + "X ");
        ASSERT_NE(got, "") << "after " << spots;
        seen += got;
        if (stalledAfter == 0 && stalled.reset()) stalledAfter = sent.size();
        ASSERT_LT(sent.size(), std::size_t{64} << 20) << "the stalled client was never dropped";
    }
    EXPECT_GT(stalledAfter, std::size_t{1} << 20) << "dropped after " << stalledAfter << " bytes";
    const auto wrong = std::mismatch(seen.begin(), seen.end(), sent.begin(), sent.end()).first;
    EXPECT_EQ(wrong - seen.begin(), std::ssize(seen)) << "bytes went astray";
    const int closed = link.closed;
    logger.reset();
    EXPECT_TRUE(eventually([&] { return link.closed == closed + 1; }));
}

// A client that sends only what no cluster knows is answered twenty times in a row and
// dropped at the twenty-first; a command it knows starts the count again.
TEST_F(ClusterServiceTest, ATalkerOfNonsenseIsBorneTwentyTimesInARow) {
    Client talker(port);
    talker.login();
    // One line at a time: a dropped client's unread answers go with the connection.
    for (int k = 0; k < 40; ++k) {
        if (k == 20) talker.send("sh/dx\r\n");
        talker.send("set/skimmer\r\n");
        ASSERT_NE(talker.until("Sorry"), "") << k;
    }
    talker.send("set/skimmer\r\n");
    EXPECT_TRUE(talker.ended());
}

TEST(ClusterOptions, TakenFromTheCommandLine) {
    std::vector<std::string> args{"in.wav", "--telnet", "0",    "--spotter",
                                  "dl1abc", "--dial",   "14080"};
    ClusterOptions options;
    std::string error;
    ASSERT_TRUE(takeClusterOptions(args, options, error)) << error;
    EXPECT_EQ(args, (std::vector<std::string>{"in.wav", "--dial", "14080"}));
    EXPECT_EQ(options.port, 0);
    EXPECT_EQ(options.spotter, "DL1ABC");
    for (std::vector<std::string> bad : {std::vector<std::string>{"--telnet", "70000"},
                                         {"--telnet", "7300", "--spotter", "K1 ABC"},
                                         {"--listen", "0.0.0.0"},
                                         {"in.wav", "--telnet"}})
        EXPECT_FALSE(takeClusterOptions(bad, options = {}, error)) << bad[0];
    EXPECT_EQ(error, "--telnet needs a value");
}

}  // namespace
}  // namespace kestrel::skim
