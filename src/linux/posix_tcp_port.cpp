// The TCP port on POSIX sockets: non-blocking descriptors and poll().
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/tcp_port.h"

namespace kestrel {
namespace {

bool nonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL, 0);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool wouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

class PosixTcpPort final : public TcpPort {
  public:
    ~PosixTcpPort() override {
        if (listener_ >= 0) ::close(listener_);
    }

    int listen(const std::string& address, int port, std::string& error) override {
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_port = htons(static_cast<std::uint16_t>(port));
        if (inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1)
            return error = "'" + address + "' is not an IPv4 address", -1;
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        if (listener_ < 0 || setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
            bind(listener_, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0 ||
            ::listen(listener_, 16) != 0 || !nonBlocking(listener_))
            return error = std::strerror(errno), -1;
        socklen_t length = sizeof where;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&where), &length);
        return ntohs(where.sin_port);
    }

    bool wait(std::span<TcpWatch> watched, int timeoutMs) override {
        std::vector<pollfd> fds{{listener_, POLLIN, 0}};
        for (const TcpWatch& w : watched)
            fds.push_back(
                {w.connection, static_cast<short>(POLLIN | (w.wantWrite ? POLLOUT : 0)), 0});
        if (poll(fds.data(), fds.size(), timeoutMs) <= 0) return false;
        for (std::size_t k = 0; k < watched.size(); ++k) {
            const short got = fds[k + 1].revents;
            watched[k].readable = (got & (POLLIN | POLLHUP | POLLERR)) != 0;
        }
        return (fds[0].revents & POLLIN) != 0;
    }

    int accept() override {
        const int fd = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        return fd < 0 ? -1 : fd;
    }

    long receive(int connection, std::span<char> buffer) override {
        const ssize_t n = recv(connection, buffer.data(), buffer.size(), 0);
        if (n > 0) return n;
        return n < 0 && wouldBlock() ? 0 : -1;
    }

    long send(int connection, std::span<const char> bytes) override {
        const ssize_t n = ::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n >= 0) return n;
        return wouldBlock() ? 0 : -1;
    }

    void close(int connection, bool discard) override {
        if (discard) {
            const linger reset{1, 0};
            setsockopt(connection, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        }
        ::close(connection);
    }

  private:
    int listener_ = -1;
};

}  // namespace

std::unique_ptr<TcpPort> makeTcpPort() {
    return std::make_unique<PosixTcpPort>();
}

}  // namespace kestrel
