#pragma once
// A listening TCP socket and the connections it accepts, all non-blocking, with one
// wait for whatever is ready: POSIX sockets on Linux, Winsock on Windows. The cluster
// service serves its clients through it from one thread.
#include <memory>
#include <span>
#include <string>

namespace kestrel {

// One connection to wait on, and what the wait found.
struct TcpWatch {
    int connection = -1;
    bool wantWrite = false;  // it has bytes waiting to go
    bool readable = false;   // set by the wait: bytes, the peer's close or an error wait
};

class TcpPort {
  public:
    virtual ~TcpPort() = default;
    // Listens on the IPv4 address at port (0: one the system picks). Returns the port it
    // listens on, or -1 with error set.
    virtual int listen(const std::string& address, int port, std::string& error) = 0;
    // Waits up to timeoutMs for a connection to come in or a watched one to be ready;
    // true when a connection waits to be accepted.
    virtual bool wait(std::span<TcpWatch> watched, int timeoutMs) = 0;
    // A waiting connection's number, or -1 when none waits.
    virtual int accept() = 0;
    // Bytes received (> 0), 0 when none are there yet, -1 when the peer closed or failed.
    virtual long receive(int connection, std::span<char> buffer) = 0;
    // Bytes taken (0 when the connection takes none now), -1 when it failed.
    virtual long send(int connection, std::span<const char> bytes) = 0;
    // discard: reset the connection, what waits to go with it (a client being dropped).
    virtual void close(int connection, bool discard) = 0;
};

// The system's own sockets.
std::unique_ptr<TcpPort> makeTcpPort();

}  // namespace kestrel
