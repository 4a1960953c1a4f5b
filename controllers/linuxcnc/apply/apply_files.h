// Putting several files in place all or nothing: every new file is written
// whole beside its target before the first target is replaced, and when a
// later replacement fails the ones already replaced are put back from
// their backups. An INI that names a table not there, or a table that no
// INI names, is a machine that starts wrong.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "status.h"
#include "text_file.h"

namespace pitchwise {

enum class ApplyCode {
    OK = 0,
    NOT_PREPARED,      // a new file could not be written: no target touched
    PUT_BACK,          // a replacement failed; every file is as it was
    NOT_ALL_PUT_BACK,  // and at least one replaced file could not be put back
};

// numbers: the failed file's index and its FileCode; subject: its path;
// systemError: the errno of that step.
using ApplyStatus = Status<ApplyCode>;

enum class FileState { UNCHANGED, REPLACED, PUT_BACK, NOT_PUT_BACK };

struct FileChange {
    std::string path;
    std::string text;
    std::string backup;  // where the replaced file is kept: set once replaced
    FileState state = FileState::UNCHANGED;
};

// The steps on disk, one call each, so a test can fail any of them.
class CFileSteps {
  public:
    virtual ~CFileSteps() = default;
    virtual FileStatus Prepare(std::size_t i, const FileChange& change) = 0;
    // Puts the i-th prepared file in place; `backup` names where the old
    // one stays ("" when there was none).
    virtual FileStatus Replace(std::size_t i, std::string& backup) = 0;
    // Undoes Replace: the backup back in place, or a new file removed.
    virtual FileStatus PutBack(std::size_t i, const std::string& backup) = 0;
    // Removes the i-th prepared file if it is not in place.
    virtual void Discard(std::size_t i) = 0;
};

// The real steps: CPreparedFile, and backups named "FILE.20261209T193000Z.bak"
// beside the file a link leads to, one not yet taken.
class CDiskSteps : public CFileSteps {
  public:
    FileStatus Prepare(std::size_t i, const FileChange& change) override;
    FileStatus Replace(std::size_t i, std::string& backup) override;
    FileStatus PutBack(std::size_t i, const std::string& backup) override;
    void Discard(std::size_t i) override;

  private:
    std::vector<std::unique_ptr<CPreparedFile>> m_files;
};

// Prepares every change, then replaces them in order; on a failure puts
// back those already replaced. Each change's state says where it ended.
ApplyStatus ApplyFileChanges(std::vector<FileChange>& changes, CFileSteps& steps);

// The failed step of a status ApplyFileChanges returned, for its words.
FileStatus FailedStep(const ApplyStatus& status);

}  // namespace pitchwise
