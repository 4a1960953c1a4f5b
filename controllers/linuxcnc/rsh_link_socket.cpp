#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "rsh_link.h"

namespace {

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
            if (connect(s, a->ai_addr, a->ai_addrlen) == 0) {
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
