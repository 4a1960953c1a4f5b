// Windows transport to the bench: Winsock over loopback TCP.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>

#include "bench_link.h"

namespace pitchwise {

struct BenchSocket {
    SOCKET handle;
};

namespace {

// A bench that stops answering must not hang the run for ever.
constexpr DWORD kReplyTimeoutMilliseconds = 30000;

// Winsock needs starting once per process; the library is never unloaded,
// so it is never stopped either.
bool StartWinsock() {
    static bool started = false;
    if (!started) {
        WSADATA data;
        started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    return started;
}

}  // namespace

BenchSocket* BenchConnect(const char* host, unsigned port) {
    if (!StartWinsock()) return nullptr;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    char service[16];
    std::snprintf(service, sizeof service, "%u", port);
    addrinfo* found = nullptr;
    if (getaddrinfo(host, service, &hints, &found) != 0) return nullptr;
    SOCKET handle = INVALID_SOCKET;
    for (addrinfo* a = found; a != nullptr && handle == INVALID_SOCKET; a = a->ai_next) {
        handle = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (handle != INVALID_SOCKET &&
            connect(handle, a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0) {
            closesocket(handle);
            handle = INVALID_SOCKET;
        }
    }
    freeaddrinfo(found);
    if (handle == INVALID_SOCKET) return nullptr;
    BOOL one = TRUE;
    setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    DWORD timeout = kReplyTimeoutMilliseconds;
    setsockopt(handle, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof timeout);
    return new BenchSocket{handle};
}

long BenchSendSome(BenchSocket* socket, const char* bytes, std::size_t count) {
    return send(socket->handle, bytes, static_cast<int>(count), 0);
}

bool BenchReceiveByte(BenchSocket* socket, char& received) {
    return recv(socket->handle, &received, 1, 0) == 1;
}

void BenchClose(BenchSocket* socket) {
    if (socket == nullptr) return;
    closesocket(socket->handle);
    delete socket;
}

}  // namespace pitchwise
