#include "text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace pitchwise {

namespace {

// Linux's own limit on links followed in one path.
constexpr int MAX_LINKS = 40;

FileCode KindCode(mode_t mode) {
    if (S_ISDIR(mode)) return FileCode::IS_FOLDER;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return FileCode::IS_DEVICE;
    if (S_ISFIFO(mode)) return FileCode::IS_FIFO;
    if (S_ISSOCK(mode)) return FileCode::IS_SOCKET;
    return FileCode::OK;
}

}  // namespace

std::string FileStatusText(const FileStatus& status) {
    static const char* const words[] = {
#define PITCHWISE_FILE_WORDS(name, text) text,
        PITCHWISE_FILE_CODES(PITCHWISE_FILE_WORDS)
#undef PITCHWISE_FILE_WORDS
    };
    const char* said = words[static_cast<int>(status.code())];
    if (status.ok()) return std::string();
    if (status.systemError() == 0) return status.subject() + " " + said;
    return std::string("cannot ") + said + " " + status.subject() + ": " +
           std::strerror(status.systemError());
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

FileRead ReadTextFile(const std::string& path, std::string& text, std::string& error) {
    text.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return FileRead::ABSENT;
        error = "cannot read " + path + ": " + std::strerror(errno);
        return FileRead::UNREADABLE;
    }
    char buffer[65536];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            // A folder opens but reads as EISDIR.
            error = "cannot read " + path + ": " + std::strerror(errno);
            text.clear();
            close(fd);
            return FileRead::UNREADABLE;
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    return FileRead::READ;
}

FileStatus ResolveTarget(const std::string& path, std::string& target) {
    target = path;
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (lstat(target.c_str(), &info) != 0) {
            // Nothing there yet: the write creates it, in a folder that
            // must then exist, which creating the temporary file finds out.
            if (errno == ENOENT) return FileStatus::Ok();
            return FileStatus(FileCode::CANNOT_FOLLOW, {}, path, errno);
        }
        if (!S_ISLNK(info.st_mode)) {
            const FileCode kind = KindCode(info.st_mode);
            return kind == FileCode::OK ? FileStatus::Ok() : FileStatus(kind, {}, path);
        }
        if (hops == MAX_LINKS) return FileStatus(FileCode::CANNOT_FOLLOW, {}, path, ELOOP);
        std::vector<char> named(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) +
                                2);
        const ssize_t length = readlink(target.c_str(), named.data(), named.size());
        if (length < 0) return FileStatus(FileCode::CANNOT_FOLLOW, {}, path, errno);
        if (static_cast<std::size_t>(length) >= named.size())  // it changed under us
            return FileStatus(FileCode::CANNOT_FOLLOW, {}, path, EAGAIN);
        const std::string link(named.data(), static_cast<std::size_t>(length));
        target = link[0] == '/' ? link : FolderOf(target) + "/" + link;
    }
}

FileStatus OpenToAppend(const std::string& path, int& fd) {
    fd = -1;
    std::string target;
    const FileStatus resolved = ResolveTarget(path, target);
    if (!resolved) return resolved;
    // O_NONBLOCK: a FIFO put there since the check must not hang the open.
    const int opened =
        open(target.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    if (opened < 0) return FileStatus(FileCode::CANNOT_OPEN, {}, path, errno);
    struct stat info {};
    if (fstat(opened, &info) != 0 || KindCode(info.st_mode) != FileCode::OK ||
        fcntl(opened, F_SETFL, O_APPEND) != 0) {
        const FileCode kind = KindCode(info.st_mode);
        const int error = errno;
        close(opened);
        return kind != FileCode::OK ? FileStatus(kind, {}, path)
                                    : FileStatus(FileCode::CANNOT_OPEN, {}, path, error);
    }
    fd = opened;
    return FileStatus::Ok();
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

}  // namespace pitchwise
