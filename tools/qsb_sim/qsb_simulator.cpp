#include "qsb_simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace pitchwise {

namespace {

std::string Fitted(const std::string& text, std::size_t size) {
    std::string fitted = text.substr(0, size);
    fitted.resize(size, '0');
    return fitted;
}

void SetNonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Reads everything that has arrived, without waiting.
std::string ReadAvailable(int fd) {
    std::string bytes;
    char chunk[4096];
    for (;;) {
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got > 0) {
            bytes.append(chunk, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        return bytes;
    }
}

// The kernel hands bytes written on a pty's master to the slave side a
// moment later, on a worker thread. A program read that finds older bytes
// already there returns just those, so when the test drives the device by
// Pump() we wait until the reply is readable: the run stays deterministic.
// Nothing else reads meanwhile, so the slave's input count only grows. The
// limit is one only a fault reaches (a worker starved for that long).
void WaitUntilReadable(int slave, int before, std::size_t added) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        int now = 0;
        if (ioctl(slave, TIOCINQ, &now) != 0 || now >= before + static_cast<int>(added)) return;
        if (std::chrono::steady_clock::now() >= deadline) return;
        usleep(50);
    }
}

}  // namespace

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
    ClosePty(m_device);
    for (auto& entry : m_silent) ClosePty(entry.second);
    m_silent.clear();
    if (m_ownsPortDir) rmdir(m_portDir.c_str());
}

std::string CQsbSimulator::PortPath(int port) const {
    return m_portDir + "/COM" + std::to_string(port);
}

void CQsbSimulator::ExportPortDir() const {
    setenv("PITCHWISE_PORT_DIR", m_portDir.c_str(), 1);
}

bool CQsbSimulator::OpenPty(int port, Pty& pty) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) return false;
    char name[256];
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        close(master);
        return false;
    }
    int slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0) {
        close(master);
        return false;
    }
    // Raw from the start, so nothing the device says is echoed back to it
    // before the program has set its own line settings.
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    SetNonBlocking(master);

    std::string link = PortPath(port);
    unlink(link.c_str());
    if (symlink(name, link.c_str()) != 0) {
        close(slave);
        close(master);
        return false;
    }
    pty.master = master;
    pty.slave = slave;
    pty.link = link;
    return true;
}

void CQsbSimulator::ClosePty(Pty& pty) {
    if (!pty.link.empty()) unlink(pty.link.c_str());
    if (pty.slave >= 0) close(pty.slave);
    if (pty.master >= 0) close(pty.master);
    pty = Pty();
}

bool CQsbSimulator::Plug(int port) {
    bool plugged;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ClosePty(m_device);
        m_port = 0;
        m_pendingLine.clear();
        m_lineStalled = false;
        m_reading = true;
        plugged = OpenPty(port, m_device);
        if (plugged) m_port = port;
    }
    if (m_wake[1] >= 0) (void)!write(m_wake[1], "p", 1);
    return plugged;
}

void CQsbSimulator::Unplug() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ClosePty(m_device);
        m_port = 0;
        m_pendingLine.clear();
        m_lineStalled = false;
    }
    if (m_wake[1] >= 0) (void)!write(m_wake[1], "u", 1);
}

int CQsbSimulator::Port() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_port;
}

bool CQsbSimulator::PortHeldExclusively() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    int exclusive = 0;
    return m_device.slave >= 0 && ioctl(m_device.slave, TIOCGEXCL, &exclusive) == 0 &&
           exclusive != 0;
}

bool CQsbSimulator::AddSilentPort(int port) {
    bool added;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_silent.find(port);
        if (found != m_silent.end()) ClosePty(found->second);
        Pty pty;
        added = OpenPty(port, pty);
        if (added) {
            m_silent[port] = pty;
        } else {
            m_silent.erase(port);
        }
    }
    if (m_wake[1] >= 0) (void)!write(m_wake[1], "s", 1);
    return added;
}

void CQsbSimulator::RemoveSilentPort(int port) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_silent.find(port);
        if (found == m_silent.end()) return;
        ClosePty(found->second);
        m_silent.erase(found);
    }
    if (m_wake[1] >= 0) (void)!write(m_wake[1], "r", 1);
}

void CQsbSimulator::SetIdentity(const std::string& serialNumber, const std::string& device,
                                const std::string& revision) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_serialNumber = serialNumber;
    m_deviceCode = device;
    m_revision = revision;
}

void CQsbSimulator::SetIdentityReply(std::optional<std::string> reply) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_identityReply = std::move(reply);
}

void CQsbSimulator::SetCounts(std::int64_t absoluteCounts) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_counts = absoluteCounts;
    m_countSource = nullptr;
}

void CQsbSimulator::SetCountSource(std::function<std::int64_t()> source) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_countSource = std::move(source);
}

std::int64_t CQsbSimulator::AbsoluteCountsLocked() const {
    return m_countSource ? m_countSource() : m_counts;
}

std::uint32_t CQsbSimulator::CounterValue() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    // The device's counter register is 32 bits wide and wraps.
    return static_cast<std::uint32_t>(
        static_cast<std::uint64_t>(AbsoluteCountsLocked() - m_offset));
}

std::int64_t CQsbSimulator::ZeroOffset() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_offset;
}

void CQsbSimulator::IgnoreZeroing(bool ignore) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ignoreZeroing = ignore;
}

void CQsbSimulator::SetCounterStyle(QsbSimCounterStyle style) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_counterStyle = style;
}

void CQsbSimulator::QueueCounterReply(const std::string& reply, int times) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int i = 0; i < times; ++i) m_queuedCounterReplies.push_back(reply);
}

void CQsbSimulator::SetCounterReply(std::optional<std::string> reply) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_counterReply = std::move(reply);
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
    if (m_device.slave < 0) return false;
    // Suspending output on our own descriptor of the program's side stops
    // that tty at once: from here on it takes no byte from any writer. A
    // buffer filled until the first refusal is no such stall, since the
    // kernel moves it on a moment later and makes room again.
    if (tcflow(m_device.slave, TCOOFF) != 0) return false;
    m_lineStalled = true;
    return true;
}

void CQsbSimulator::ResumeReading() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_lineStalled && m_device.slave >= 0) tcflow(m_device.slave, TCOON);
        m_lineStalled = false;
        m_reading = true;
    }
    if (m_wake[1] >= 0) (void)!write(m_wake[1], "g", 1);
}

std::string CQsbSimulator::IdentityReply(const std::string& serialNumber, const std::string& device,
                                         const std::string& revision) {
    return "R140 " + Fitted(serialNumber, 5) + Fitted(device, 1) + Fitted(revision, 2) + "\r\n";
}

std::string CQsbSimulator::CounterReply(std::uint32_t value, QsbSimCounterStyle style) {
    char digits[16];
    std::snprintf(digits, sizeof digits, style == QsbSimCounterStyle::LOWER_CASE ? "%08x" : "%08X",
                  static_cast<unsigned>(value));
    return std::string("R0E0 ") + digits + "\r\n";
}

std::string CQsbSimulator::AcknowledgeReply(const std::string& command) {
    std::string name = command.substr(0, command.find('!'));
    return name + " OK\r\n";
}

void CQsbSimulator::RecordLocked(QsbSimTraffic::Direction direction, int port,
                                 const std::string& bytes, std::vector<QsbSimTraffic>& records) {
    QsbSimTraffic record{direction, port, bytes, std::chrono::steady_clock::now()};
    m_traffic.push_back(record);
    records.push_back(record);
}

void CQsbSimulator::SendLocked(const std::string& bytes, std::vector<QsbSimTraffic>& records) {
    if (m_device.master < 0) return;
    int before = 0;
    ioctl(m_device.slave, TIOCINQ, &before);
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = write(m_device.master, bytes.data() + done, bytes.size() - done);
        if (written > 0) {
            done += static_cast<std::size_t>(written);
        } else if (!(written < 0 && errno == EINTR)) {
            break;  // the program's side is full: the rest is lost, as on a real line
        }
    }
    if (!m_running) WaitUntilReadable(m_device.slave, before, done);
    RecordLocked(QsbSimTraffic::SENT, m_port, bytes.substr(0, done), records);
}

void CQsbSimulator::HandleCommandLocked(const std::string& line,
                                        std::vector<QsbSimTraffic>& records) {
    m_commands.push_back(line);
    if (line == "R140!\n") {
        SendLocked(m_identityReply ? *m_identityReply
                                   : IdentityReply(m_serialNumber, m_deviceCode, m_revision),
                   records);
    } else if (line == "R0E0!\n") {
        std::string reply;
        if (!m_queuedCounterReplies.empty()) {
            reply = m_queuedCounterReplies.front();
            m_queuedCounterReplies.pop_front();
        } else if (m_counterReply) {
            reply = *m_counterReply;
        } else {
            reply = CounterReply(static_cast<std::uint32_t>(
                                     static_cast<std::uint64_t>(AbsoluteCountsLocked() - m_offset)),
                                 m_counterStyle);
        }
        SendLocked(reply, records);
    } else if (line == "W092!\n") {
        if (m_ignoreZeroing) return;
        m_offset = AbsoluteCountsLocked();
        SendLocked(AcknowledgeReply(line), records);
    } else if (line == "W038D!\n" || line == "W08007A1200!\n") {
        SendLocked(AcknowledgeReply(line), records);
    }
    // Anything else is not a command this device knows: it stays silent.
}

void CQsbSimulator::DrainSilentLocked(int port, Pty& pty, std::vector<QsbSimTraffic>& records) {
    std::string bytes = ReadAvailable(pty.master);
    if (!bytes.empty()) RecordLocked(QsbSimTraffic::RECEIVED, port, bytes, records);
}

void CQsbSimulator::PumpLocked(std::vector<QsbSimTraffic>& records) {
    for (auto& entry : m_silent) DrainSilentLocked(entry.first, entry.second, records);
    if (m_device.master < 0 || !m_reading) return;

    std::string bytes = ReadAvailable(m_device.master);
    if (bytes.empty()) return;
    RecordLocked(QsbSimTraffic::RECEIVED, m_port, bytes, records);

    for (char c : bytes) {
        m_pendingLine += c;
        if (c != '\n') continue;
        std::string line;
        line.swap(m_pendingLine);
        HandleCommandLocked(line, records);
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
    return m_traffic;
}

std::vector<std::string> CQsbSimulator::Commands() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_commands;
}

void CQsbSimulator::ClearTraffic() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_traffic.clear();
    m_commands.clear();
}

void CQsbSimulator::SetObserver(std::function<void(const QsbSimTraffic&)> observer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_observer = std::move(observer);
}

}  // namespace pitchwise
