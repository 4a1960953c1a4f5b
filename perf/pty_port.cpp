#include "pty_port.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>

CPtyPort::CPtyPort() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0) return;
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) return;
    const char* name = ptsname(m_master);
    if (name == nullptr) return;
    m_slavePath = name;
    m_slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_slave < 0) return;
    termios tio{};
    // Raw from the start: an echoing line would send the device's own
    // replies back to it before the program has configured the port.
    if (tcgetattr(m_slave, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(m_slave, TCSANOW, &tio);
    }
}

CPtyPort::~CPtyPort() {
    if (m_slave >= 0) close(m_slave);
    if (m_master >= 0) close(m_master);
}

CPortDirectory::CPortDirectory() {
    char pattern[] = "/tmp/pitchwise-perf-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    m_path = pattern;
    setenv("PITCHWISE_PORT_DIR", m_path.c_str(), 1);
}

CPortDirectory::~CPortDirectory() {
    if (m_path.empty()) return;
    for (int n = 1; n <= 9; ++n) {
        std::string link = m_path + "/COM" + std::to_string(n);
        unlink(link.c_str());
    }
    rmdir(m_path.c_str());
    unsetenv("PITCHWISE_PORT_DIR");
}

bool CPortDirectory::Link(int port, const std::string& device) {
    std::string link = m_path + "/COM" + std::to_string(port);
    return !m_path.empty() && symlink(device.c_str(), link.c_str()) == 0;
}
