// Whole files: read in one go, telling a missing file from one that is
// there but cannot be read; replaced in one step, so a reader sees the old
// file or the new one and never half of either.
#pragma once

#include <string>

namespace pitchwise {

enum class FileRead {
    READ,
    ABSENT,      // nothing at the path
    UNREADABLE,  // something is there (a file without permission, a folder, an I/O error)
};

// The folder a path lies in: "." for a bare name, "/" at the top.
std::string FolderOf(const std::string& path);

// `error` says why for UNREADABLE: "cannot read PATH: <the system's reason>".
FileRead ReadTextFile(const std::string& path, std::string& text, std::string& error);

struct AtomicWriteOptions {
    unsigned newFileMode = 0644;  // for a file that did not exist yet
    std::string backupPath;       // when set, the previous file stays there too
};

struct AtomicWrite {
    bool written = false;
    int error = 0;        // errno of the step that failed
    std::string message;  // that step, the path and the system's reason
};

// Writes `contents` to a temporary file in the same folder, syncs it,
// renames it over `path` and syncs the folder, so the new file survives a
// power cut once this returns. The previous file's mode and owner carry
// over, since another user (LinuxCNC's) may have to read it. On failure the
// previous file stays as it was and no temporary file is left.
AtomicWrite WriteFileAtomically(const std::string& path, const std::string& contents,
                                const AtomicWriteOptions& options = AtomicWriteOptions());

}  // namespace pitchwise
