#include "win32_udp_port.h"

#include <ws2tcpip.h>

namespace kestrel::win32 {
namespace {

SocketCall callResult(int result) {
    return {result, result == SOCKET_ERROR ? WSAGetLastError() : 0};
}

}  // namespace

int Win32UdpPort::startup() {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 2), &data);
}

bool Win32UdpPort::openSocket() {
    socket_ =
        WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0,
                   WSA_FLAG_OVERLAPPED | WSA_FLAG_MULTIPOINT_C_LEAF | WSA_FLAG_MULTIPOINT_D_LEAF);
    return socket_ != INVALID_SOCKET;
}

SocketCall Win32UdpPort::reuseAddress() {
    const BOOL reuse = TRUE;
    return callResult(setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR,
                                 reinterpret_cast<const char*>(&reuse), sizeof reuse));
}

SocketCall Win32UdpPort::bind(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<u_short>(port));
    return callResult(::bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address));
}

bool Win32UdpPort::waitForDatagram(int timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return select(0, &readable, nullptr, nullptr, &timeout) != 0;
}

// A datagram longer than the buffer is cut to it and reported as filling it.
SocketCall Win32UdpPort::receive(std::span<char> buffer) {
    sockaddr_in from{};
    int fromLength = sizeof from;
    const int received = recvfrom(socket_, buffer.data(), static_cast<int>(buffer.size()), 0,
                                  reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (received != SOCKET_ERROR) return {received, 0};
    const int error = WSAGetLastError();
    if (error == WSAEMSGSIZE) return {static_cast<int>(buffer.size()), 0};
    return {received, error};
}

bool Win32UdpPort::closeSocket() {
    const bool closed = closesocket(socket_) == 0;
    socket_ = INVALID_SOCKET;
    return closed;
}

void Win32UdpPort::cleanup() {
    WSACleanup();
}

}  // namespace kestrel::win32
