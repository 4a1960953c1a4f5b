#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "rsh_link.h"

namespace {

// linuxcncrsh answers every request at once; a reply that takes longer
// than this means LinuxCNC has gone, and the run must not hang on it.
constexpr int REPLY_TIMEOUT_MS = 10000;
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
        m_pending.clear();
        return m_socket >= 0;
    }

    bool Exchange(const std::string& request, std::string& reply) override {
        if (m_socket < 0) return false;
        std::string line = request + "\r\n";
        std::size_t sent = 0;
        while (sent < line.size()) {
            ssize_t n = send(m_socket, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return Fail();
            sent += static_cast<std::size_t>(n);
        }
        for (;;) {
            std::size_t end = m_pending.find('\n');
            if (end != std::string::npos) {
                reply = m_pending.substr(0, end);
                m_pending.erase(0, end + 1);
                // linuxcncrsh sends some replies with their terminating zero byte.
                reply.erase(std::remove(reply.begin(), reply.end(), '\0'), reply.end());
                while (!reply.empty() && std::isspace(static_cast<unsigned char>(reply.back())))
                    reply.pop_back();
                std::size_t first = 0;
                while (first < reply.size() &&
                       std::isspace(static_cast<unsigned char>(reply[first])))
                    ++first;
                reply.erase(0, first);
                if (reply.empty()) continue;  // the "\r\n" pair may arrive split
                return true;
            }
            pollfd p{m_socket, POLLIN, 0};
            if (poll(&p, 1, REPLY_TIMEOUT_MS) <= 0) return Fail();
            char buffer[512];
            ssize_t n = recv(m_socket, buffer, sizeof buffer, 0);
            if (n <= 0) return Fail();
            m_pending.append(buffer, static_cast<std::size_t>(n));
        }
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
    std::string m_pending;
};

}  // namespace

std::unique_ptr<CRshLink> MakeSocketRshLink() {
    return std::make_unique<CSocketRshLink>();
}
