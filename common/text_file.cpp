#include "text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace pitchwise {

namespace {

class CDescriptor {
  public:
    explicit CDescriptor(int fd) : m_fd(fd) {}
    ~CDescriptor() { Close(); }
    CDescriptor(const CDescriptor&) = delete;
    CDescriptor& operator=(const CDescriptor&) = delete;
    int Fd() const { return m_fd; }
    // Close's own result matters for a file being written: NFS reports
    // a failed write there.
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || close(fd) == 0;
    }

  private:
    int m_fd;
};

AtomicWrite Failed(const char* step, const std::string& path, int error) {
    AtomicWrite result;
    result.error = error;
    result.message = std::string("cannot ") + step + " " + path + ": " + std::strerror(error);
    return result;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        ssize_t n = write(fd, text.data() + sent, text.size() - sent);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

FileRead ReadTextFile(const std::string& path, std::string& text, std::string& error) {
    text.clear();
    CDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Fd() < 0) {
        if (errno == ENOENT) return FileRead::ABSENT;
        error = "cannot read " + path + ": " + std::strerror(errno);
        return FileRead::UNREADABLE;
    }
    char buffer[65536];
    for (;;) {
        ssize_t got = read(file.Fd(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            // A folder opens but reads as EISDIR.
            error = "cannot read " + path + ": " + std::strerror(errno);
            text.clear();
            return FileRead::UNREADABLE;
        }
        if (got == 0) return FileRead::READ;
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

AtomicWrite WriteFileAtomically(const std::string& path, const std::string& contents,
                                const AtomicWriteOptions& options) {
    struct stat old {};
    const bool hadOld = stat(path.c_str(), &old) == 0;
    std::string temporary = path + ".XXXXXX";
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    CDescriptor file(mkostemp(name.data(), O_CLOEXEC));
    if (file.Fd() < 0) return Failed("create a file beside", path, errno);
    temporary = name.data();
    auto failed = [&temporary](const char* step, const std::string& subject) {
        const int error = errno;
        unlink(temporary.c_str());
        return Failed(step, subject, error);
    };
    // mkostemp makes the file 0600 whatever the umask: the reader may be
    // another user.
    if (fchmod(file.Fd(), hadOld ? (old.st_mode & 07777) : options.newFileMode) != 0)
        return failed("set the mode of", temporary);
    if (hadOld && (old.st_uid != geteuid() || old.st_gid != getegid()) &&
        fchown(file.Fd(), old.st_uid, old.st_gid) != 0)
        return failed("give the owner of the old file to", temporary);
    if (!WriteAll(file.Fd(), contents)) return failed("write", temporary);
    if (fsync(file.Fd()) != 0) return failed("sync", temporary);
    if (!file.Close()) return failed("write", temporary);
    if (hadOld && !options.backupPath.empty()) {
        // A hard link keeps the old file in place while the backup appears.
        if (unlink(options.backupPath.c_str()) != 0 && errno != ENOENT)
            return failed("replace", options.backupPath);
        if (link(path.c_str(), options.backupPath.c_str()) != 0)
            return failed("keep the previous file as", options.backupPath);
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) return failed("replace", path);
    // The rename lasts a power cut only once the folder is on disk.
    // A folder that cannot be opened for reading, or a file system that
    // cannot sync folders (EINVAL), gives what it can; an I/O error is said.
    CDescriptor folder(open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Fd() >= 0 && fsync(folder.Fd()) != 0 && errno != EINVAL)
        return Failed("sync the folder of", path, errno);
    AtomicWrite result;
    result.written = true;
    return result;
}

}  // namespace pitchwise
