#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <vector>

#include "rsh_link.h"

namespace pitchwise {

namespace {

TEST(RshConnectTest, HostThatNeverAnswersIsGivenUpWithinSeconds) {
    int server = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(server, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(server, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(listen(server, 0), 0);
    ASSERT_EQ(getsockname(server, reinterpret_cast<sockaddr*>(&address), &length), 0);
    // Connections nobody accepts fill the queue: the kernel then drops every
    // new handshake unanswered, as a host that is down does.
    std::vector<int> waiting;
    for (int i = 0; i < 8; ++i) {
        int s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        connect(s, reinterpret_cast<sockaddr*>(&address), length);
        waiting.push_back(s);
    }
    std::unique_ptr<CRshLink> link = MakeSocketRshLink();
    const auto began = std::chrono::steady_clock::now();
    EXPECT_FALSE(link->Connect("127.0.0.1", ntohs(address.sin_port)));
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - began)
            .count();
    // Without a limit the kernel's own retries take about two minutes.
    EXPECT_LT(seconds, 60);
    for (int s : waiting) close(s);
    close(server);
}

}  // namespace

}  // namespace pitchwise
