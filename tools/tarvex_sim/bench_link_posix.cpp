#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "bench_link.h"

namespace pitchwise {

struct BenchSocket {
    int fd;
};

namespace {

// A bench that stops answering must not hang the run for ever.
constexpr int kReplyTimeoutSeconds = 30;

}  // namespace

BenchSocket* BenchConnect(const char* host, unsigned port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    char service[16];
    std::snprintf(service, sizeof service, "%u", port);
    addrinfo* found = nullptr;
    if (getaddrinfo(host, service, &hints, &found) != 0) return nullptr;
    int fd = -1;
    for (addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd >= 0 && connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    if (fd < 0) return nullptr;
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    timeval timeout{kReplyTimeoutSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return new BenchSocket{fd};
}

long BenchSendSome(BenchSocket* socket, const char* bytes, std::size_t count) {
    for (;;) {
        ssize_t sent = send(socket->fd, bytes, count, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        return static_cast<long>(sent);
    }
}

bool BenchReceiveByte(BenchSocket* socket, char& received) {
    for (;;) {
        ssize_t got = recv(socket->fd, &received, 1, 0);
        if (got < 0 && errno == EINTR) continue;
        return got == 1;
    }
}

void BenchClose(BenchSocket* socket) {
    if (socket == nullptr) return;
    close(socket->fd);
    delete socket;
}

}  // namespace pitchwise
