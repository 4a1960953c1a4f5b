#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "rsh_link.h"

namespace pitchwise {

namespace {

// A host that is down never answers the connection at all: without a limit
// Tvx_Init, and Pitchwise's window with it, would hang for minutes.
constexpr int CONNECT_TIMEOUT_MS = 5000;

bool ConnectWithin(int s, const sockaddr* address, socklen_t length) {
    const int flags = fcntl(s, F_GETFL);
    if (flags < 0 || fcntl(s, F_SETFL, flags | O_NONBLOCK) != 0) return false;
    bool connected = connect(s, address, length) == 0;
    if (!connected && errno == EINPROGRESS) {
        pollfd p{s, POLLOUT, 0};
        int error = 0;
        socklen_t size = sizeof error;
        connected = poll(&p, 1, CONNECT_TIMEOUT_MS) == 1 &&
                    getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    return connected && fcntl(s, F_SETFL, flags) == 0;
}

class CSocketRshLink : public CRshLink {
  public:
    ~CSocketRshLink() override { Close(); }

    bool Connect(const std::string& host, int port) override {
        Close();
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
            return false;
        for (addrinfo* a = found; a != nullptr && m_socket < 0; a = a->ai_next) {
            int s = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
            if (s < 0) continue;
            if (ConnectWithin(s, a->ai_addr, a->ai_addrlen)) {
                int one = 1;
                setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                m_socket = s;
            } else {
                close(s);
            }
        }
        freeaddrinfo(found);
        return m_socket >= 0;
    }

    bool Send(const std::string& bytes) override {
        if (m_socket < 0) return false;
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            ssize_t n = send(m_socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return Fail();
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

    RshReceive Receive(std::string& bytes, int timeoutMs) override {
        if (m_socket < 0) return RshReceive::CLOSED;
        pollfd p{m_socket, POLLIN, 0};
        int ready;
        do {
            ready = poll(&p, 1, timeoutMs);
        } while (ready < 0 && errno == EINTR);
        if (ready == 0) return RshReceive::TIMEOUT;
        char buffer[512];
        ssize_t n = ready > 0 ? recv(m_socket, buffer, sizeof buffer, 0) : -1;
        if (n <= 0) {
            Fail();
            return RshReceive::CLOSED;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
        return RshReceive::DATA;
    }

    void Close() override {
        if (m_socket >= 0) close(m_socket);
        m_socket = -1;
    }

  private:
    bool Fail() {
        Close();
        return false;
    }

    int m_socket = -1;
};

}  // namespace

std::unique_ptr<CRshLink> MakeSocketRshLink() {
    return std::make_unique<CSocketRshLink>();
}

}  // namespace pitchwise
