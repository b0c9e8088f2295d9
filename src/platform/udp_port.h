#pragma once
// The UDP socket the contact listener receives the logger's datagrams on: Winsock on
// Windows, a script in tests. One socket at a time. Each call that can fail returns its
// result and the system's error code, which the listener shows.
#include <cstddef>
#include <span>

namespace kestrel {

struct SocketCall {
    int result = 0;  // the call's own result: 0 or a byte count, -1 on failure
    int error = 0;   // the system's error code when it failed
};

class UdpPort {
  public:
    virtual ~UdpPort() = default;
    // Starts the sockets library (version 2.2); 0 or the library's error code.
    virtual int startup() = 0;
    // Creates an IPv4 UDP socket; false when it cannot.
    virtual bool openSocket() = 0;
    virtual SocketCall reuseAddress() = 0;
    // Binds to any local address at port.
    virtual SocketCall bind(int port) = 0;
    // True when a datagram is there to receive within timeoutMs (or the wait failed, so
    // that receive reports why).
    virtual bool waitForDatagram(int timeoutMs) = 0;
    // Receives one datagram into buffer; result is its length. A datagram longer than
    // the buffer fills it and gives buffer.size().
    virtual SocketCall receive(std::span<char> buffer) = 0;
    // False when the socket could not be closed.
    virtual bool closeSocket() = 0;
    virtual void cleanup() = 0;
};

}  // namespace kestrel
