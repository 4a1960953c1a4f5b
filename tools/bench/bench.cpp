#include "bench.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>

#include "bench_truth.h"
#include "text.h"

namespace pitchwise {

namespace {

constexpr const char* kAddressVariable = "TARVEX_SIM_ADDRESS";
constexpr const char* kPortDirVariable = "PITCHWISE_PORT_DIR";

}  // namespace

CBench::CBench(const BenchOptions& options)
    : m_options(options),
      m_axis(options.profile, options.speed, options.home),
      m_controller(m_axis, options.behaviour) {}

CBench::~CBench() {
    Stop();
}

bool CBench::Start(std::string& error) {
    m_qsb = std::make_unique<CQsbSimulator>(m_options.portDir);
    if (!m_qsb->Plug(m_options.qsbPort)) {
        error = "cannot publish the QSB in " + m_qsb->PortDir();
        return false;
    }
    m_qsb->IgnoreZeroing(m_options.qsbIgnoresZeroing);
    // The QSB counts the axis's real travel.
    m_qsb->SetCountSource([this] {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_axis.Counts(Now());
    });

    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(m_options.listenPort));
    int one = 1;
    setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (m_listener < 0 || inet_pton(AF_INET, m_options.host.c_str(), &address.sin_addr) != 1 ||
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listener, 8) != 0) {
        error = "cannot listen on " + m_options.host + ":" + std::to_string(m_options.listenPort) +
                ": " + std::strerror(errno);
        return false;
    }
    socklen_t length = sizeof address;
    getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);

    if (pipe2(m_wake, O_CLOEXEC) != 0) {
        error = "cannot make a pipe";
        return false;
    }
    if (m_options.qsbThread) m_qsb->Start();
    m_server = std::thread(&CBench::ServerMain, this);
    return true;
}

void CBench::Stop() {
    if (m_server.joinable()) {
        char byte = 0;
        (void)!write(m_wake[1], &byte, 1);
        m_server.join();
    }
    if (m_qsb) m_qsb->Stop();
    for (int* fd : {&m_listener, &m_wake[0], &m_wake[1]}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

std::string CBench::Address() const {
    return m_options.host + ":" + std::to_string(m_port);
}

std::string CBench::PortDir() const {
    return m_qsb ? m_qsb->PortDir() : std::string();
}

void CBench::ExportEnvironment() const {
    setenv(kAddressVariable, Address().c_str(), 1);
    setenv(kPortDirVariable, PortDir().c_str(), 1);
}

bool CBench::Finished(std::size_t runs, bool endOnDisconnect) const {
    const std::vector<BenchRun>& all = m_controller.Runs();
    std::size_t finished = 0;
    for (const BenchRun& run : all) finished += run.finished ? 1 : 0;
    if (finished >= runs) return true;
    return endOnDisconnect && !all.empty() && m_clients == 0;
}

bool CBench::WaitForRuns(std::size_t runs, std::chrono::milliseconds timeout,
                         bool endOnDisconnect) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return Finished(runs, endOnDisconnect); });
}

std::vector<BenchRun> CBench::Runs() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_controller.Runs();
}

BenchVerdict CBench::Verdict() const {
    return JudgeRuns(Runs(), m_options.tolerance);
}

std::string CBench::ReportText() const {
    return BenchReportText(Runs(), m_options.tolerance);
}

std::string CBench::ReportCsv() const {
    return BenchReportCsv(Runs(), m_options.tolerance);
}

CAxisModel::Clock::time_point CBench::Now() const {
    return m_options.now ? m_options.now() : CAxisModel::Clock::now();
}

std::vector<LoggedRun> CBench::LoggedRuns() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_controller.LoggedRuns();
}

std::string CBench::TruthText() const {
    return BenchTruthText(m_options.profile, LoggedRuns());
}

std::string CBench::Handle(const std::string& request) {
    std::lock_guard<std::mutex> lock(m_mutex);
    CAxisModel::Clock::time_point now = Now();
    int reply = 0;
    if (request == "INIT") {
        reply = m_controller.Init();
    } else if (StartsWith(request, "LINE ")) {
        reply = m_controller.Line(request.substr(5), now);
    } else if (request == "MOTION") {
        reply = m_controller.InMotion(now);
    } else if (request == "POSITION") {
        reply = m_controller.Position(now);
    } else if (request == "FINISH") {
        reply = m_controller.Finish();
    }
    m_changed.notify_all();
    return std::to_string(reply) + "\n";
}

void CBench::ServerMain() {
    std::map<int, std::string> clients;  // descriptor -> bytes of an unfinished request
    for (;;) {
        std::vector<pollfd> fds = {{m_wake[0], POLLIN, 0}, {m_listener, POLLIN, 0}};
        for (const auto& client : clients) fds.push_back({client.first, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents) break;
        if (fds[1].revents & POLLIN) {
            int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                int one = 1;
                setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                clients[fd];
                std::lock_guard<std::mutex> lock(m_mutex);
                ++m_clients;
            }
        }
        for (std::size_t i = 2; i < fds.size(); ++i) {
            if (!fds[i].revents) continue;
            int fd = fds[i].fd;
            char bytes[4096];
            ssize_t got = recv(fd, bytes, sizeof bytes, 0);
            if (got <= 0) {
                close(fd);
                clients.erase(fd);
                std::lock_guard<std::mutex> lock(m_mutex);
                --m_clients;
                m_changed.notify_all();
                continue;
            }
            std::string& pending = clients[fd];
            pending.append(bytes, static_cast<std::size_t>(got));
            for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
                std::string reply = Handle(pending.substr(0, end));
                pending.erase(0, end + 1);
                send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
            }
        }
    }
    for (const auto& client : clients) close(client.first);
}

}  // namespace pitchwise
