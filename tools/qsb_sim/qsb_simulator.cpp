#include "qsb_simulator.h"

#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace pitchwise {

CQsbSimulator::CQsbSimulator(const std::string& portDir) : m_portDir(portDir) {
    if (m_portDir.empty()) {
        char pattern[] = "/tmp/pitchwise-qsb-XXXXXX";
        if (mkdtemp(pattern) != nullptr) {
            m_portDir = pattern;
            m_ownsPortDir = true;
        }
    } else {
        mkdir(m_portDir.c_str(), 0755);
    }
}

CQsbSimulator::~CQsbSimulator() {
    Stop();
    std::lock_guard<std::mutex> lock(m_mutex);
    CloseSimPty(m_device);
    for (auto& entry : m_silent) CloseSimPty(entry.second);
    m_silent.clear();
    if (m_ownsPortDir) rmdir(m_portDir.c_str());
}

std::string CQsbSimulator::PortPath(int port) const {
    return m_portDir + "/COM" + std::to_string(port);
}

void CQsbSimulator::ExportPortDir() const {
    setenv("PITCHWISE_PORT_DIR", m_portDir.c_str(), 1);
}

// Tells the background thread, when one runs, to look at the ports again.
void CQsbSimulator::Wake(char why) const {
    if (m_wake[1] >= 0) (void)!write(m_wake[1], &why, 1);
}

bool CQsbSimulator::Plug(int port) {
    bool plugged;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        CloseSimPty(m_device);
        m_port = 0;
        m_pendingLine.clear();
        m_lineStalled = false;
        m_reading = true;
        plugged = OpenSimPty(PortPath(port), m_device);
        if (plugged) m_port = port;
    }
    Wake('p');
    return plugged;
}

void CQsbSimulator::Unplug() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        CloseSimPty(m_device);
        m_port = 0;
        m_pendingLine.clear();
        m_lineStalled = false;
    }
    Wake('u');
}

int CQsbSimulator::Port() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_port;
}

bool CQsbSimulator::PortHeldExclusively() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return HeldExclusively(m_device.slave);
}

bool CQsbSimulator::AddSilentPort(int port) {
    bool added;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_silent.find(port);
        if (found != m_silent.end()) CloseSimPty(found->second);
        SimPty pty;
        added = OpenSimPty(PortPath(port), pty);
        if (added) {
            m_silent[port] = pty;
        } else {
            m_silent.erase(port);
        }
    }
    Wake('s');
    return added;
}

void CQsbSimulator::RemoveSilentPort(int port) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_silent.find(port);
        if (found == m_silent.end()) return;
        CloseSimPty(found->second);
        m_silent.erase(found);
    }
    Wake('r');
}

void CQsbSimulator::SetIdentity(const std::string& serialNumber, const std::string& device,
                                const std::string& revision) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.serialNumber = serialNumber;
    m_state.deviceCode = device;
    m_state.revision = revision;
}

void CQsbSimulator::SetIdentityReply(std::optional<std::string> reply) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.faults.identityReply = std::move(reply);
}

void CQsbSimulator::SetCounts(std::int64_t absoluteCounts) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.counts = absoluteCounts;
    m_state.countSource = nullptr;
}

void CQsbSimulator::SetCountSource(std::function<std::int64_t()> source) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.countSource = std::move(source);
}

std::uint32_t CQsbSimulator::CounterValue() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state.CounterValue();
}

std::int64_t CQsbSimulator::ZeroOffset() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state.offset;
}

void CQsbSimulator::IgnoreZeroing(bool ignore) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.faults.ignoreZeroing = ignore;
}

void CQsbSimulator::SetCounterStyle(QsbSimCounterStyle style) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.counterStyle = style;
}

void CQsbSimulator::QueueCounterReply(const std::string& reply, int times) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int i = 0; i < times; ++i) m_state.faults.queuedCounterReplies.push_back(reply);
}

void CQsbSimulator::SetCounterReply(std::optional<std::string> reply) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.faults.counterReply = std::move(reply);
}

void CQsbSimulator::SendUnprompted(const std::string& bytes) {
    std::vector<QsbSimTraffic> records;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        SendLocked(bytes, records);
    }
    Notify(records);
}

bool CQsbSimulator::StopReading(bool stallLine) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reading = false;
    if (!stallLine) return true;
    if (!StallLine(m_device.slave, true)) return false;
    m_lineStalled = true;
    return true;
}

void CQsbSimulator::ResumeReading() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_lineStalled) StallLine(m_device.slave, false);
        m_lineStalled = false;
        m_reading = true;
    }
    Wake('g');
}

std::string CQsbSimulator::IdentityReply(const std::string& serialNumber, const std::string& device,
                                         const std::string& revision) {
    return QsbSimIdentityReply(serialNumber, device, revision);
}

std::string CQsbSimulator::CounterReply(std::uint32_t value, QsbSimCounterStyle style) {
    return QsbSimCounterReply(value, style);
}

std::string CQsbSimulator::AcknowledgeReply(const std::string& command) {
    return QsbSimAcknowledgeReply(command);
}

void CQsbSimulator::SendLocked(const std::string& bytes, std::vector<QsbSimTraffic>& records) {
    if (m_device.master < 0) return;
    const int before = PendingInput(m_device.slave);
    const std::size_t done = WriteAvailable(m_device.master, bytes);
    if (!m_running) WaitUntilReadable(m_device.slave, before, done);
    m_log.Record(QsbSimTraffic::SENT, m_port, bytes.substr(0, done), records);
}

void CQsbSimulator::PumpLocked(std::vector<QsbSimTraffic>& records) {
    // A port that never answers reads and drops what arrives, so it never
    // stalls a writer either.
    for (auto& entry : m_silent) {
        const std::string bytes = ReadAvailable(entry.second.master);
        if (!bytes.empty()) m_log.Record(QsbSimTraffic::RECEIVED, entry.first, bytes, records);
    }
    if (m_device.master < 0 || !m_reading) return;

    std::string bytes = ReadAvailable(m_device.master);
    if (bytes.empty()) return;
    m_log.Record(QsbSimTraffic::RECEIVED, m_port, bytes, records);

    for (char c : bytes) {
        m_pendingLine += c;
        if (c != '\n') continue;
        std::string line;
        line.swap(m_pendingLine);
        m_log.RecordCommand(line);
        const std::optional<std::string> reply = m_state.Answer(line);
        if (reply) SendLocked(*reply, records);
    }
}

void CQsbSimulator::Notify(const std::vector<QsbSimTraffic>& records) {
    std::function<void(const QsbSimTraffic&)> observer;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        observer = m_observer;
    }
    if (!observer) return;
    for (const QsbSimTraffic& record : records) observer(record);
}

void CQsbSimulator::Pump() {
    std::vector<QsbSimTraffic> records;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        PumpLocked(records);
    }
    Notify(records);
}

void CQsbSimulator::Start() {
    if (m_running) return;
    if (pipe(m_wake) != 0) return;
    SetNonBlocking(m_wake[0]);
    m_running = true;
    m_thread = std::thread(&CQsbSimulator::ThreadMain, this);
}

void CQsbSimulator::Stop() {
    if (!m_running) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_running = false;
    }
    (void)!write(m_wake[1], "q", 1);
    m_thread.join();
    close(m_wake[0]);
    close(m_wake[1]);
    m_wake[0] = m_wake[1] = -1;
}

void CQsbSimulator::ThreadMain() {
    for (;;) {
        std::vector<pollfd> fds;
        fds.push_back({m_wake[0], POLLIN, 0});
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_running) return;
            if (m_device.master >= 0 && m_reading) fds.push_back({m_device.master, POLLIN, 0});
            for (auto& entry : m_silent) fds.push_back({entry.second.master, POLLIN, 0});
        }
        if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return;
        if (fds[0].revents & POLLIN) ReadAvailable(m_wake[0]);
        Pump();
    }
}

std::vector<QsbSimTraffic> CQsbSimulator::Traffic() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log.Traffic();
}

std::vector<std::string> CQsbSimulator::Commands() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log.Commands();
}

void CQsbSimulator::ClearTraffic() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_log.Clear();
}

void CQsbSimulator::SetObserver(std::function<void(const QsbSimTraffic&)> observer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_observer = std::move(observer);
}

}  // namespace pitchwise
