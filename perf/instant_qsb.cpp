#include "instant_qsb.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

std::int64_t SteadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int CInstantQsb::Service() {
    char bytes[256];
    ssize_t got;
    while ((got = read(m_master, bytes, sizeof bytes)) > 0) {
        m_pending.append(bytes, static_cast<std::size_t>(got));
    }
    int answered = 0;
    std::size_t end;
    while ((end = m_pending.find('\n')) != std::string::npos) {
        m_lastCommandNs = SteadyNowNs();
        Answer(m_pending.substr(0, end));
        m_pending.erase(0, end + 1);
        ++answered;
    }
    return answered;
}

void CInstantQsb::Answer(const std::string& command) {
    char reply[64];
    int length;
    if (command == "R140!") {
        length = std::snprintf(reply, sizeof reply, "R140!P4711Q22\r\n");
    } else if (command == "R0E0!") {
        // One unit of travel further at every reading, like a moving axis.
        m_count += 10034;
        length =
            std::snprintf(reply, sizeof reply, "R0E0!%08X\r\n", static_cast<unsigned>(m_count));
    } else {
        if (command == "W092!") m_count = 0;
        length = std::snprintf(reply, sizeof reply, "%s\r\n", command.c_str());
    }
    if (length > 0 && write(m_master, reply, static_cast<std::size_t>(length)) == length) {
        m_lastReplyNs = SteadyNowNs();
    }
}

CQsbResponderThread::CQsbResponderThread(int master)
    : m_master(master), m_device(master), m_thread([this] { Loop(); }) {}

CQsbResponderThread::~CQsbResponderThread() {
    m_stop = true;
    m_thread.join();
}

void CQsbResponderThread::Loop() {
    while (!m_stop) {
        pollfd pfd{m_master, POLLIN, 0};
        // The time-out only bounds how long stopping takes.
        if (poll(&pfd, 1, 50) > 0 && (pfd.revents & POLLIN)) m_device.Service();
    }
}
