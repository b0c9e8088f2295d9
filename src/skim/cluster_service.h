#pragma once
// The DX-cluster telnet service: loggers connect to it as to a cluster node and receive
// the skimmer's spots as the skimmer networks send them, which band maps read:
//
//   DX de KESTREL-#:  14083.4  K1ABC        RTTY  12 dB  45 BPS  CQ      1516Z
//
// A client gives its call, receives the spots of the last ten minutes and then each new
// one. Every client has a bounded queue: one that stops reading until it overflows, that
// closes, or that sends what no telnet client sends is dropped, and the others never
// wait for it. One thread serves them all; spot() may be called from any other.
//
// Time is the input's: a spot's time counts from the input's start, and the ten minutes
// follow the input (a file's, however fast it is read). Spot lines tell the UTC time as
// utcAtZero (seconds since 1970 at the input's start) plus the spot's time.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/tcp_port.h"
#include "skim/cluster_session.h"
#include "skim/spot.h"

namespace kestrel::skim {

struct ClusterOptions {
    int port = -1;  // --telnet PORT (0: any free one); -1 without the service
    std::string address = "127.0.0.1";
    std::string spotter = "KESTREL";
};

// Takes --telnet PORT, --listen ADDR and --spotter CALL with their values out of args,
// leaving the other arguments in their order. False with error set on a bad value.
bool takeClusterOptions(std::vector<std::string>& args, ClusterOptions& options,
                        std::string& error);

// How long a spot stays among the recent ones, in input seconds.
inline constexpr double kRecentSeconds = 600;

// A spot as the skimmer networks send it, without the line's end. The frequency is the
// RF frequency in kHz to 0.1 kHz when the dial is known, else the audio tone in kHz to
// the hertz (2.125: a band map places it nowhere, a reader sees the tone).
std::string clusterSpotLine(const Spot& spot, const std::string& spotter, std::int64_t utcAtZero);

class ClusterService final : public SpotSink {
  public:
    ClusterService(ClusterOptions options, std::int64_t utcAtZero,
                   std::unique_ptr<TcpPort> port = makeTcpPort());
    ~ClusterService() override;
    ClusterService(const ClusterService&) = delete;
    ClusterService& operator=(const ClusterService&) = delete;

    // Listens and starts serving. The port it listens on, or -1 with error set.
    int start(std::string& error);
    void spot(const Spot& spot) override;
    // The input has reached `seconds` from its start, spots or not: the ten minutes of
    // recent spots follow it.
    void inputTime(double seconds);
    // Ends the serving thread and closes every connection.
    void stop();

  private:
    struct Client;
    struct Recent {
        double time;
        std::string call;
        std::string line;  // with its CR LF
    };
    void serve();
    void serveOnce();
    void acceptClients();
    void readFrom(Client& client);
    void writeTo(Client& client);
    void forget(double now);
    void sendRecent(Client& client, std::size_t most, std::string_view callPrefix);

    ClusterOptions options_;
    std::int64_t utcAtZero_;
    std::unique_ptr<TcpPort> port_;
    std::mutex mutex_;  // guards what follows: spot() runs on the skimmer's thread
    std::vector<std::unique_ptr<Client>> clients_;
    std::deque<Recent> recent_;
    double now_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// Starts the service the options ask for and tells `notes` where it listens; nullptr
// without --telnet, or with error set when it cannot listen.
std::unique_ptr<ClusterService> startClusterService(const ClusterOptions& options,
                                                    std::int64_t utcAtZero, std::FILE* notes,
                                                    std::string& error);

}  // namespace kestrel::skim
