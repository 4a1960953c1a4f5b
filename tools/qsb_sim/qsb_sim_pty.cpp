#include "qsb_sim_pty.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace pitchwise {

bool OpenSimPty(const std::string& link, SimPty& pty) {
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

void CloseSimPty(SimPty& pty) {
    if (!pty.link.empty()) unlink(pty.link.c_str());
    if (pty.slave >= 0) close(pty.slave);
    if (pty.master >= 0) close(pty.master);
    pty = SimPty();
}

void SetNonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

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

std::size_t WriteAvailable(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written > 0) {
            done += static_cast<std::size_t>(written);
        } else if (!(written < 0 && errno == EINTR)) {
            break;  // the program's side is full: the rest is lost, as on a real line
        }
    }
    return done;
}

int PendingInput(int slave) {
    int pending = 0;
    ioctl(slave, TIOCINQ, &pending);
    return pending;
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

bool HeldExclusively(int slave) {
    int exclusive = 0;
    return slave >= 0 && ioctl(slave, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
}

bool StallLine(int slave, bool stall) {
    // Suspending output on our own descriptor of the program's side stops
    // that tty at once: from here on it takes no byte from any writer. A
    // buffer filled until the first refusal is no such stall, since the
    // kernel moves it on a moment later and makes room again.
    return slave >= 0 && tcflow(slave, stall ? TCOOFF : TCOON) == 0;
}

}  // namespace pitchwise
