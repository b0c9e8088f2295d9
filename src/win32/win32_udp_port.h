#pragma once
// The contact listener's socket: Winsock 2.2, an IPv4 UDP socket.
#include <winsock2.h>

#include "platform/udp_port.h"

namespace kestrel::win32 {

class Win32UdpPort final : public UdpPort {
  public:
    int startup() override;
    bool openSocket() override;
    SocketCall reuseAddress() override;
    SocketCall bind(int port) override;
    bool waitForDatagram(int timeoutMs) override;
    SocketCall receive(std::span<char> buffer) override;
    bool closeSocket() override;
    void cleanup() override;

  private:
    SOCKET socket_ = INVALID_SOCKET;
};

}  // namespace kestrel::win32
