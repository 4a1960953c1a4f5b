// termios backend: the same line settings as the Windows one, with the same
// guarantees (exclusive access, reads that never wait, writes bounded to 5 s).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "com_port.h"
#include "pause.h"

namespace pitchwise {

struct ComPortHandle {
    int fd;
};

namespace {

constexpr unsigned WRITE_TIMEOUT_MS = 5000;
// How long a stalled write waits before it tries again: short enough that
// the bytes go soon after the device takes them again.
constexpr unsigned WRITE_RETRY_MS = 20;

bool SpeedFor(unsigned long baudRate, speed_t& speed) {
    struct Row {
        unsigned long baud;
        speed_t speed;
    };
    static const Row rows[] = {{9600, B9600},     {19200, B19200},   {38400, B38400},
                               {57600, B57600},   {115200, B115200}, {230400, B230400},
                               {460800, B460800}, {921600, B921600}};
    for (const Row& row : rows) {
        if (row.baud == baudRate) {
            speed = row.speed;
            return true;
        }
    }
    return false;
}

// Counterpart of filling the DCB: only speed, data bits, parity and stop bits
// change, plus what "raw bytes" means on a tty (no echo, no line editing, no
// translation, receiver on, modem lines ignored). Flow control stays as found.
bool ApplyLineSettings(termios& tio, unsigned long baudRate, int dataBits, int parity,
                       int stopBits) {
    speed_t speed;
    if (!SpeedFor(baudRate, speed)) return false;
    tcflag_t size;
    switch (dataBits) {
        case 5:
            size = CS5;
            break;
        case 6:
            size = CS6;
            break;
        case 7:
            size = CS7;
            break;
        case 8:
            size = CS8;
            break;
        default:
            return false;
    }
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
    tio.c_cflag |= size | CLOCAL | CREAD;
    switch (parity) {
        case 0:
            break;  // none
        case 1:
            tio.c_cflag |= PARENB | PARODD;
            break;  // odd
        case 2:
            tio.c_cflag |= PARENB;
            break;  // even
        default:
            return false;
    }
    switch (stopBits) {
        case 0:
            break;  // one
        case 2:
            tio.c_cflag |= CSTOPB;
            break;  // two
        default:
            return false;
    }
    tio.c_cc[VMIN] = 0;  // reads return at once with what has arrived
    tio.c_cc[VTIME] = 0;
    return cfsetispeed(&tio, speed) == 0 && cfsetospeed(&tio, speed) == 0;
}

void CloseDescriptor(int fd) {
    ioctl(fd, TIOCNXCL);  // leave the device openable for the next user
    close(fd);
}

}  // namespace

void ComPortDeviceName(int port, char* name, std::size_t size) {
    const char* dir = std::getenv("PITCHWISE_PORT_DIR");
    if (dir && *dir) {
        std::snprintf(name, size, "%s/COM%d", dir, port);
    } else {
        std::snprintf(name, size, "/dev/ttyUSB%d", port - 1);
    }
}

bool CComPort::Open(int port, unsigned long baudRate, int dataBits, int parity, int stopBits) {
    if (m_opened == 1) return true;

    char name[4096];
    ComPortDeviceName(port, name, sizeof name);
    int fd = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;

    // TIOCEXCL keeps other users out but not root; the advisory lock holds
    // for root too, so a second Pitchwise never shares the device.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    ioctl(fd, TIOCEXCL);

    termios tio{};
    if (tcgetattr(fd, &tio) != 0 || !ApplyLineSettings(tio, baudRate, dataBits, parity, stopBits) ||
        tcsetattr(fd, TCSANOW, &tio) != 0) {
        CloseDescriptor(fd);
        return false;
    }

    m_handle = new ComPortHandle{fd};
    m_opened = 1;
    return true;
}

void CComPort::Write(const void* bytes, std::size_t count) {
    if (m_opened != 1 || m_handle == nullptr) return;
    const char* next = static_cast<const char*>(bytes);
    std::size_t left = count;
    // A device that stops reading must not hold the program for longer than
    // the write time-out. The wait goes through the pause clock, like every
    // other wait of the program, so the time-out is counted on one clock.
    unsigned waited = 0;
    while (left > 0) {
        ssize_t written = write(m_handle->fd, next, left);
        if (written > 0) {
            next += written;
            left -= static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return;
        if (waited >= WRITE_TIMEOUT_MS) return;
        Pause(WRITE_RETRY_MS);
        waited += WRITE_RETRY_MS;
    }
}

std::size_t CComPort::Read(void* buffer, std::size_t maxCount) {
    if (m_opened != 1 || m_handle == nullptr) return 0;
    ssize_t got;
    do {
        got = read(m_handle->fd, buffer, maxCount);
    } while (got < 0 && errno == EINTR);
    // Nothing pending (EAGAIN) and a vanished device (EIO) both read as 0.
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

void CComPort::Close() {
    if (m_opened != 1 || m_handle == nullptr) return;
    CloseDescriptor(m_handle->fd);
    delete m_handle;
    m_handle = nullptr;
    m_opened = 0;
}

}  // namespace pitchwise
