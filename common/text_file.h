// Whole files: read in one go, telling a missing file from one that is
// there but cannot be read; replaced in one step, so a reader sees the old
// file or the new one and never half of either.
//
// What the caller names is the target: a symlink is followed (the link
// stays a link, and a dangling one gets its file), and anything that is
// not a regular file (a folder, a device, a FIFO, a socket) is refused
// before anything is written. Writing to a device by rename would replace
// the device node; writing to it in place would leave no old file to keep.
#pragma once

#include <string>

#include "status.h"

namespace pitchwise {

enum class FileRead {
    READ,
    ABSENT,      // nothing at the path
    UNREADABLE,  // something is there (a file without permission, a folder, an I/O error)
};

// What became of a write, worded by FileStatusText. A refusal (IS_...)
// carries no system error; a failed step carries the errno it met.
#define PITCHWISE_FILE_CODES(X)                         \
    X(OK, "")                                           \
    X(IS_FOLDER, "is a folder, not a file")             \
    X(IS_DEVICE, "is a device, not a file")             \
    X(IS_FIFO, "is a FIFO, not a file")                 \
    X(IS_SOCKET, "is a socket, not a file")             \
    X(CANNOT_FOLLOW, "follow the link")                 \
    X(CANNOT_CREATE, "create a file beside")            \
    X(CANNOT_SET_MODE, "give the old file's mode to")   \
    X(CANNOT_SET_OWNER, "give the old file's owner to") \
    X(CANNOT_WRITE, "write")                            \
    X(CANNOT_SYNC, "sync")                              \
    X(CANNOT_KEEP_BACKUP, "keep the previous file of")  \
    X(CANNOT_REPLACE, "replace")                        \
    X(CANNOT_SYNC_FOLDER, "sync the folder of")         \
    X(CANNOT_OPEN, "open")                              \
    X(CANNOT_PUT_BACK, "put back the previous file of")

enum class FileCode {
#define PITCHWISE_FILE_CODE(name, words) name,
    PITCHWISE_FILE_CODES(PITCHWISE_FILE_CODE)
#undef PITCHWISE_FILE_CODE
};

// The subject is the path the caller named.
using FileStatus = Status<FileCode>;

// "cannot write PATH: No space left on device", "PATH is a FIFO, not a file".
std::string FileStatusText(const FileStatus& status);

// The folder a path lies in: "." for a bare name, "/" at the top.
std::string FolderOf(const std::string& path);

// `error` says why for UNREADABLE: "cannot read PATH: <the system's reason>".
FileRead ReadTextFile(const std::string& path, std::string& text, std::string& error);

// The file `path` leads to, links followed; refused (IS_...) when that is
// not a regular file. A dangling link leads to the file it names, which a
// write creates.
FileStatus ResolveTarget(const std::string& path, std::string& target);

// Opens the target of `path` for appending (created 0644 when missing),
// with the same checks. `fd` is -1 on failure.
FileStatus OpenToAppend(const std::string& path, int& fd);

// All of `text` to `fd`, through short writes and signals; false with errno.
bool WriteAll(int fd, const std::string& text);

struct AtomicWriteOptions {
    unsigned newFileMode = 0644;  // for a file that did not exist yet
    std::string backupPath;       // when set, the previous file stays there too
};

// A new file written whole and synced beside its target, not yet in place:
// a caller that changes several files prepares them all before replacing
// the first. The temporary file goes when this does, unless committed.
class CPreparedFile {
  public:
    CPreparedFile() = default;
    ~CPreparedFile() { Discard(); }
    CPreparedFile(const CPreparedFile&) = delete;
    CPreparedFile& operator=(const CPreparedFile&) = delete;

    FileStatus Prepare(const std::string& path, const std::string& contents,
                       unsigned newFileMode = 0644);
    // The file that Commit replaces (links followed), and whether it is there.
    const std::string& Target() const { return m_target; }
    bool ReplacesAFile() const { return m_hadOld; }
    // Renames the new file over the target and syncs its folder, so it
    // survives a power cut once this returns. With `backupPath`, the
    // previous file stays there too (a hard link: beside the target).
    FileStatus Commit(const std::string& backupPath = std::string());
    void Discard();

  private:
    std::string m_path;
    std::string m_target;
    std::string m_temporary;
    bool m_hadOld = false;
};

// Prepare and Commit in one. The previous file's mode and owner carry
// over, since another user (LinuxCNC's) may have to read it. On failure
// the previous file stays as it was and no temporary file is left.
FileStatus WriteFileAtomically(const std::string& path, const std::string& contents,
                               const AtomicWriteOptions& options = AtomicWriteOptions());

}  // namespace pitchwise
