// The TCP port on Winsock 2.2: non-blocking sockets and WSAPoll. Connections are numbered
// here, since a SOCKET does not fit the port's int.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <map>
#include <vector>

#include "platform/tcp_port.h"

namespace kestrel {
namespace {

std::string errorText(int code) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
    return text[0] ? text : "socket error " + std::to_string(code);
}

bool nonBlocking(SOCKET s) {
    u_long on = 1;
    return ioctlsocket(s, FIONBIO, &on) == 0;
}

class Win32TcpPort final : public TcpPort {
  public:
    Win32TcpPort() {
        WSADATA data{};
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~Win32TcpPort() override {
        for (const auto& [number, s] : connections_) closesocket(s);
        if (listener_ != INVALID_SOCKET) closesocket(listener_);
        if (started_) WSACleanup();
    }

    int listen(const std::string& address, int port, std::string& error) override {
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_port = htons(static_cast<u_short>(port));
        if (inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1)
            return error = "'" + address + "' is not an IPv4 address", -1;
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        // Windows lets a second program bind a port in use under SO_REUSEADDR: not wanted.
        const BOOL on = TRUE;
        if (listener_ == INVALID_SOCKET ||
            setsockopt(listener_, SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
                       reinterpret_cast<const char*>(&on), sizeof on) != 0 ||
            bind(listener_, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0 ||
            ::listen(listener_, 16) != 0 || !nonBlocking(listener_))
            return error = errorText(WSAGetLastError()), -1;
        int length = sizeof where;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&where), &length);
        return ntohs(where.sin_port);
    }

    bool wait(std::span<TcpWatch> watched, int timeoutMs) override {
        std::vector<WSAPOLLFD> fds{{listener_, POLLRDNORM, 0}};
        for (const TcpWatch& w : watched)
            fds.push_back({socketOf(w.connection),
                           static_cast<SHORT>(POLLRDNORM | (w.wantWrite ? POLLWRNORM : 0)), 0});
        if (WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), timeoutMs) <= 0) return false;
        for (std::size_t k = 0; k < watched.size(); ++k) {
            const SHORT got = fds[k + 1].revents;
            watched[k].readable = (got & (POLLRDNORM | POLLHUP | POLLERR | POLLNVAL)) != 0;
        }
        return (fds[0].revents & POLLRDNORM) != 0;
    }

    int accept() override {
        const SOCKET s = ::accept(listener_, nullptr, nullptr);
        if (s == INVALID_SOCKET) return -1;
        if (!nonBlocking(s)) {
            closesocket(s);
            return -1;
        }
        connections_[next_] = s;
        return next_++;
    }

    long receive(int connection, std::span<char> buffer) override {
        const int n = recv(socketOf(connection), buffer.data(), static_cast<int>(buffer.size()), 0);
        if (n > 0) return n;
        return n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
    }

    long send(int connection, std::span<const char> bytes) override {
        const int n = ::send(socketOf(connection), bytes.data(), static_cast<int>(bytes.size()), 0);
        if (n != SOCKET_ERROR) return n;
        return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
    }

    void close(int connection, bool discard) override {
        const auto found = connections_.find(connection);
        if (found == connections_.end()) return;
        if (discard) {
            const linger reset{1, 0};
            setsockopt(found->second, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset),
                       sizeof reset);
        }
        closesocket(found->second);
        connections_.erase(found);
    }

  private:
    SOCKET socketOf(int connection) const {
        const auto found = connections_.find(connection);
        return found == connections_.end() ? INVALID_SOCKET : found->second;
    }

    bool started_ = false;
    SOCKET listener_ = INVALID_SOCKET;
    std::map<int, SOCKET> connections_;
    int next_ = 0;
};

}  // namespace

std::unique_ptr<TcpPort> makeTcpPort() {
    return std::make_unique<Win32TcpPort>();
}

}  // namespace kestrel
