#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "text_file.h"

namespace pitchwise {

FileStatus CPreparedFile::Prepare(const std::string& path, const std::string& contents,
                                  unsigned newFileMode) {
    Discard();
    m_path = path;
    const FileStatus resolved = ResolveTarget(path, m_target);
    if (!resolved) return resolved;
    struct stat old {};
    m_hadOld = stat(m_target.c_str(), &old) == 0;
    // Beside the target, not the link: a rename cannot cross file systems.
    std::vector<char> name(m_target.begin(), m_target.end());
    const std::string pattern = ".XXXXXX";
    name.insert(name.end(), pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return FileStatus(FileCode::CANNOT_CREATE, {}, path, errno);
    m_temporary = name.data();
    auto failed = [this, fd](FileCode code) {
        const int error = errno;
        close(fd);
        Discard();
        return FileStatus(code, {}, m_path, error);
    };
    // mkostemp makes the file 0600 whatever the umask: the reader may be
    // another user.
    if (fchmod(fd, m_hadOld ? (old.st_mode & 07777) : newFileMode) != 0)
        return failed(FileCode::CANNOT_SET_MODE);
    if (m_hadOld && (old.st_uid != geteuid() || old.st_gid != getegid()) &&
        fchown(fd, old.st_uid, old.st_gid) != 0)
        return failed(FileCode::CANNOT_SET_OWNER);
    if (!WriteAll(fd, contents)) return failed(FileCode::CANNOT_WRITE);
    if (fsync(fd) != 0) return failed(FileCode::CANNOT_SYNC);
    // Close's own result matters for a file being written: NFS reports a
    // failed write there.
    if (close(fd) != 0) {
        const int error = errno;
        Discard();
        return FileStatus(FileCode::CANNOT_WRITE, {}, m_path, error);
    }
    return FileStatus::Ok();
}

FileStatus CPreparedFile::Commit(const std::string& backupPath) {
    if (m_temporary.empty()) return FileStatus(FileCode::CANNOT_REPLACE, {}, m_path, EINVAL);
    auto failed = [this](FileCode code) {
        const int error = errno;
        Discard();
        return FileStatus(code, {}, m_path, error);
    };
    const bool backup = m_hadOld && !backupPath.empty();
    if (backup) {
        // A hard link keeps the old file in place while the backup appears.
        if (unlink(backupPath.c_str()) != 0 && errno != ENOENT)
            return failed(FileCode::CANNOT_KEEP_BACKUP);
        if (link(m_target.c_str(), backupPath.c_str()) != 0)
            return failed(FileCode::CANNOT_KEEP_BACKUP);
    }
    if (rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        const int error = errno;
        if (backup) unlink(backupPath.c_str());
        errno = error;
        return failed(FileCode::CANNOT_REPLACE);
    }
    m_temporary.clear();
    // The rename lasts a power cut only once the folder is on disk. A
    // folder that cannot be opened for reading, or a file system that
    // cannot sync folders (EINVAL), gives what it can; an I/O error is said.
    const int folder = open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        const bool synced = fsync(folder) == 0 || errno == EINVAL;
        const int error = errno;
        close(folder);
        if (!synced) return FileStatus(FileCode::CANNOT_SYNC_FOLDER, {}, m_path, error);
    }
    return FileStatus::Ok();
}

void CPreparedFile::Discard() {
    if (!m_temporary.empty()) unlink(m_temporary.c_str());
    m_temporary.clear();
}

FileStatus WriteFileAtomically(const std::string& path, const std::string& contents,
                               const AtomicWriteOptions& options) {
    CPreparedFile file;
    const FileStatus prepared = file.Prepare(path, contents, options.newFileMode);
    if (!prepared) return prepared;
    return file.Commit(options.backupPath);
}

}  // namespace pitchwise
