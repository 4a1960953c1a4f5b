#include "apply_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

namespace pitchwise {

namespace {

std::string BackupName(const std::string& path) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    std::string name = path + "." + stamp + ".bak";
    struct stat info {};
    for (int n = 2; lstat(name.c_str(), &info) == 0; ++n)
        name = path + "." + stamp + "-" + std::to_string(n) + ".bak";
    return name;
}

ApplyStatus Failed(ApplyCode code, std::size_t index, const FileStatus& step) {
    return ApplyStatus(code, {static_cast<double>(index), static_cast<double>(step.code())},
                       step.subject(), step.systemError());
}

}  // namespace

FileStatus CDiskSteps::Prepare(std::size_t i, const FileChange& change) {
    if (m_files.size() <= i) m_files.resize(i + 1);
    m_files[i] = std::make_unique<CPreparedFile>();
    return m_files[i]->Prepare(change.path, change.text);
}

FileStatus CDiskSteps::Replace(std::size_t i, std::string& backup) {
    CPreparedFile& file = *m_files[i];
    backup = file.ReplacesAFile() ? BackupName(file.Target()) : std::string();
    return file.Commit(backup);
}

FileStatus CDiskSteps::PutBack(std::size_t i, const std::string& backup) {
    const std::string& target = m_files[i]->Target();
    // The backup is the old file itself (a hard link): renamed back, it
    // has its old bytes, mode and owner, and no backup is left behind.
    const bool done =
        backup.empty() ? unlink(target.c_str()) == 0 : rename(backup.c_str(), target.c_str()) == 0;
    return done ? FileStatus::Ok() : FileStatus(FileCode::CANNOT_PUT_BACK, {}, target, errno);
}

void CDiskSteps::Discard(std::size_t i) {
    if (i < m_files.size() && m_files[i]) m_files[i]->Discard();
}

ApplyStatus ApplyFileChanges(std::vector<FileChange>& changes, CFileSteps& steps) {
    for (FileChange& change : changes) change.state = FileState::UNCHANGED;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const FileStatus prepared = steps.Prepare(i, changes[i]);
        if (prepared) continue;
        for (std::size_t k = 0; k < i; ++k) steps.Discard(k);
        return Failed(ApplyCode::NOT_PREPARED, i, prepared);
    }
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const FileStatus replaced = steps.Replace(i, changes[i].backup);
        // Only the folder's sync failed: the file is in place, so it is put
        // back with the others.
        if (replaced.ok() || replaced.code() == FileCode::CANNOT_SYNC_FOLDER)
            changes[i].state = FileState::REPLACED;
        if (replaced.ok()) continue;
        for (std::size_t k = i; k < changes.size(); ++k) steps.Discard(k);
        ApplyCode code = ApplyCode::PUT_BACK;
        for (std::size_t k = 0; k <= i; ++k) {
            if (changes[k].state != FileState::REPLACED) continue;
            const bool back = steps.PutBack(k, changes[k].backup).ok();
            changes[k].state = back ? FileState::PUT_BACK : FileState::NOT_PUT_BACK;
            if (!back) code = ApplyCode::NOT_ALL_PUT_BACK;
        }
        return Failed(code, i, replaced);
    }
    return ApplyStatus::Ok();
}

FileStatus FailedStep(const ApplyStatus& status) {
    return FileStatus(static_cast<FileCode>(static_cast<int>(status.number(1))), {},
                      status.subject(), status.systemError());
}

}  // namespace pitchwise
