#include "skim/cluster_service.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "text/numbers.h"

namespace kestrel::skim {

namespace {

// A client may have this much waiting to go before it counts as one that stopped reading:
// thousands of spots, far more than a band gives in the time a slow link stalls.
constexpr std::size_t kQueueBytes = std::size_t{1} << 20;
// The recent spots kept however busy the band, so that they fit any client's queue.
constexpr std::size_t kMostRecent = 5000;
constexpr int kPollMs = 25;  // how soon a spot goes out when the service was idle
constexpr std::size_t kLongestSpotter = 12;

// Where each field of a spot line begins; the frequency ends where the call's gap begins.
constexpr std::size_t kFrequencyEnd = 25, kCallAt = 27, kModeAt = 40, kSnrAt = 46, kSpeedAt = 53,
                      kKindAt = 61, kTimeAt = 69;

void padTo(std::string& line, std::size_t column) {
    line.append(column > line.size() ? column - line.size() : 1, ' ');
}

std::string printable(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c <= ' ' || c > '~') c = '?';
    return out;
}

bool takeValue(std::vector<std::string>& args, std::size_t k, std::string& value) {
    if (k + 1 >= args.size()) return false;
    value = args[k + 1];
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(k),
               args.begin() + static_cast<std::ptrdiff_t>(k + 2));
    return true;
}

}  // namespace

bool takeClusterOptions(std::vector<std::string>& args, ClusterOptions& options,
                        std::string& error) {
    bool listenOrSpotter = false;
    for (std::size_t k = 0; k < args.size();) {
        const std::string name = args[k];
        std::string value;
        if (name != "--telnet" && name != "--listen" && name != "--spotter") {
            ++k;
            continue;
        }
        if (!takeValue(args, k, value)) return error = name + " needs a value", false;
        if (name == "--telnet") {
            const std::optional<int> port = numberIn<int>(value);
            if (!port || *port < 0 || *port > 65535)
                return error = "--telnet takes a port from 0 to 65535, not '" + value + "'", false;
            options.port = *port;
            continue;
        }
        listenOrSpotter = true;
        if (name == "--listen") {
            options.address = value;
            continue;
        }
        const bool callLike = !value.empty() && value.size() <= kLongestSpotter &&
                              std::all_of(value.begin(), value.end(), [](char c) {
                                  return std::isalnum(static_cast<unsigned char>(c)) || c == '/';
                              });
        if (!callLike) return error = "--spotter takes a call, not '" + value + "'", false;
        options.spotter = value;
        for (char& c : options.spotter)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (listenOrSpotter && options.port < 0)
        return error = "--listen and --spotter are for the cluster service: add --telnet PORT",
               false;
    return true;
}

std::string clusterSpotLine(const Spot& spot, const std::string& spotter, std::int64_t utcAtZero) {
    char field[32];
    std::string line = "DX de " + spotter + "-#:";
    if (spot.freqKhz)
        std::snprintf(field, sizeof field, "%.1f", *spot.freqKhz);
    else
        std::snprintf(field, sizeof field, "%.3f", spot.markHz / 1000);
    padTo(line, kFrequencyEnd - std::min(kFrequencyEnd, std::string_view(field).size()));
    line += field;
    padTo(line, kCallAt);
    line += printable(spot.call);
    padTo(line, kModeAt);
    line += "RTTY";
    padTo(line, kSnrAt);
    std::snprintf(field, sizeof field, "%2d dB", spot.snrDb);
    line += field;
    padTo(line, kSpeedAt);
    line += std::to_string(spot.baud) + " BPS";
    padTo(line, kKindAt);
    line += printable(spot.kind);
    padTo(line, kTimeAt);
    const std::int64_t utc =
        utcAtZero + static_cast<std::int64_t>(std::floor(std::max(0.0, spot.time)));
    std::snprintf(field, sizeof field, "%02d%02dZ", static_cast<int>(utc / 3600 % 24),
                  static_cast<int>(utc / 60 % 60));
    return line + field;
}

// A connection, its session and what waits to go to it.
struct ClusterService::Client final : SessionHandler {
    Client(ClusterService& service, int connection, std::string node)
        : service(service), connection(connection), session(std::move(node)) {}

    void send(std::string_view bytes) override {
        if (queue.size() - sent + bytes.size() > kQueueBytes) {
            dropped = true;  // it stopped reading
            return;
        }
        if (sent > kQueueBytes) {  // keep the queue from growing with what went out
            queue.erase(0, sent);
            sent = 0;
        }
        queue.append(bytes);
    }
    void loggedIn() override { service.sendRecent(*this, static_cast<std::size_t>(-1), {}); }
    void showDx(std::size_t most, std::string_view prefix) override {
        service.sendRecent(*this, most, prefix);
    }
    void bye() override { leaving = true; }
    std::size_t waiting() const { return queue.size() - sent; }

    ClusterService& service;
    int connection;
    ClusterSession session;
    std::string queue;
    std::size_t sent = 0;  // of queue
    bool leaving = false;  // closes once its queue has gone
    bool dropped = false;  // closes now, what waits for it discarded
    bool closed = false;   // the peer went
};

ClusterService::ClusterService(ClusterOptions options, std::int64_t utcAtZero,
                               std::unique_ptr<TcpPort> port)
    : options_(std::move(options)), utcAtZero_(utcAtZero), port_(std::move(port)) {}

ClusterService::~ClusterService() {
    stop();
}

int ClusterService::start(std::string& error) {
    const int port = port_->listen(options_.address, options_.port, error);
    if (port >= 0) thread_ = std::thread([this] { serve(); });
    return port;
}

void ClusterService::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    for (const auto& client : clients_) port_->close(client->connection, false);
    clients_.clear();
}

void ClusterService::spot(const Spot& spot) {
    Recent recent{spot.time, spot.call,
                  clusterSpotLine(spot, options_.spotter, utcAtZero_) + "\r\n"};
    const std::lock_guard lock(mutex_);
    for (const auto& client : clients_)
        if (client->session.loggedIn() && !client->leaving) client->send(recent.line);
    recent_.push_back(std::move(recent));
    if (recent_.size() > kMostRecent) recent_.pop_front();
    forget(spot.time);
}

void ClusterService::inputTime(double seconds) {
    const std::lock_guard lock(mutex_);
    forget(seconds);
}

// The input reached `now`: spots older than the recent window go.
void ClusterService::forget(double now) {
    now_ = std::max(now_, now);
    while (!recent_.empty() && recent_.front().time < now_ - kRecentSeconds) recent_.pop_front();
}

void ClusterService::sendRecent(Client& client, std::size_t most, std::string_view callPrefix) {
    std::vector<const Recent*> chosen;
    for (auto r = recent_.rbegin(); r != recent_.rend() && chosen.size() < most; ++r)
        if (r->call.starts_with(callPrefix)) chosen.push_back(&*r);
    for (auto r = chosen.rbegin(); r != chosen.rend(); ++r) client.send((*r)->line);
}

void ClusterService::serve() {
    while (!stopping_) serveOnce();
}

void ClusterService::serveOnce() {
    std::vector<TcpWatch> watched;
    {
        const std::lock_guard lock(mutex_);
        for (const auto& client : clients_)
            watched.push_back({client->connection, client->waiting() > 0});
    }
    const bool incoming = port_->wait(watched, kPollMs);
    const std::lock_guard lock(mutex_);
    // Only this thread adds and removes clients, so they still stand as watched.
    for (std::size_t k = 0; k < watched.size(); ++k) {
        Client& client = *clients_[k];
        if (watched[k].readable) readFrom(client);
        writeTo(client);
    }
    std::erase_if(clients_, [this](const std::unique_ptr<Client>& client) {
        const bool gone =
            client->dropped || client->closed || (client->leaving && client->waiting() == 0);
        if (gone) port_->close(client->connection, client->dropped);
        return gone;
    });
    if (incoming) acceptClients();
}

void ClusterService::acceptClients() {
    for (int connection; (connection = port_->accept()) >= 0;) {
        clients_.push_back(std::make_unique<Client>(*this, connection, options_.spotter + "-#"));
        clients_.back()->send(kCallPrompt);
        writeTo(*clients_.back());
    }
}

void ClusterService::readFrom(Client& client) {
    char buffer[4096];
    while (!client.dropped && !client.leaving) {
        const long n = port_->receive(client.connection, buffer);
        if (n == 0) return;
        if (n < 0) {
            client.closed = true;
            return;
        }
        if (!client.session.receive(std::span<const char>(buffer, static_cast<std::size_t>(n)),
                                    client))
            client.dropped = true;
    }
}

void ClusterService::writeTo(Client& client) {
    while (client.waiting() > 0 && !client.dropped && !client.closed) {
        const long n =
            port_->send(client.connection, std::string_view(client.queue).substr(client.sent));
        if (n < 0) client.closed = true;
        if (n <= 0) return;
        client.sent += static_cast<std::size_t>(n);
    }
    if (client.waiting() == 0) {
        client.queue.clear();
        client.sent = 0;
    }
}

std::unique_ptr<ClusterService> startClusterService(const ClusterOptions& options,
                                                    std::int64_t utcAtZero, std::FILE* notes,
                                                    std::string& error) {
    if (options.port < 0) return nullptr;
    auto service = std::make_unique<ClusterService>(options, utcAtZero);
    const int port = service->start(error);
    if (port < 0) {
        error = "cannot listen on " + options.address + ":" + std::to_string(options.port) + ": " +
                error;
        return nullptr;
    }
    std::fprintf(notes, "DX cluster (telnet) on %s:%d, spotter %s-#\n", options.address.c_str(),
                 port, options.spotter.c_str());
    std::fflush(notes);
    return service;
}

}  // namespace kestrel::skim
