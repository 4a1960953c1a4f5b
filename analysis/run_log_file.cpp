#include "run_log_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <utility>

#include "run_tie.h"
#include "text_file.h"

namespace pitchwise {

namespace {

std::string Reason(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

bool ReadAll(int fd, std::string& text) {
    text.clear();
    char buffer[65536];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

// Makes a newly created file's name durable too.
void SyncDirectoryOf(const std::string& path) {
    std::string dir = path.find('/') == std::string::npos ? "." : path.substr(0, path.rfind('/'));
    if (dir.empty()) dir = "/";
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// "# " and the text, its line ends made spaces: one comment line.
std::string CommentLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return "# " + text + "\n";
}

class CFile {
  public:
    explicit CFile(int fd) : m_fd(fd) {}
    ~CFile() {
        if (m_fd >= 0) close(m_fd);
    }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    int Fd() const { return m_fd; }

  private:
    int m_fd;
};

// Whether `fd` is still the file at `path`: an upgrade renames a new file
// into the log's place, and a writer that waited for the lock on the old one
// must not append to a file nobody reads any more.
bool StillAt(int fd, const std::string& path) {
    struct stat open {};
    struct stat named {};
    return fstat(fd, &open) == 0 && stat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// The log rewritten whole as `text` beside itself and renamed into its
// place (a link's target, so the link stays): a crash leaves the old log or
// the new one, never a mix. The new file is locked before it is named, so a
// writer that opens it then waits for this append to end.
bool Upgrade(const std::string& path, int lockedFd, const std::string& text, std::string& error) {
    char* resolved = realpath(path.c_str(), nullptr);
    const std::string target = resolved != nullptr ? resolved : path;
    std::free(resolved);
    std::string name = target + ".upgrade-XXXXXX";
    CFile file(mkostemp(&name[0], O_CLOEXEC));
    if (file.Fd() < 0) {
        error = Reason("cannot upgrade", path);
        return false;
    }
    struct stat old {};
    bool done = flock(file.Fd(), LOCK_EX) == 0 && fstat(lockedFd, &old) == 0 &&
                fchmod(file.Fd(), old.st_mode & 07777) == 0;
    // The owner stays where this process may keep it (as root); else it is ours.
    if (done && fchown(file.Fd(), old.st_uid, old.st_gid) != 0) errno = 0;
    done = done && WriteAll(file.Fd(), text) && fsync(file.Fd()) == 0 &&
           rename(name.c_str(), target.c_str()) == 0;
    if (!done) {
        error = Reason("cannot upgrade", path);
        unlink(name.c_str());
        return false;
    }
    SyncDirectoryOf(target);
    return true;
}

}  // namespace

bool ReadRunLogFile(const std::string& path, RunLogReading& reading, std::string& error) {
    reading = RunLogReading();
    CFile file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Fd() < 0) {
        if (errno == ENOENT) return true;
        error = Reason("cannot open", path);
        return false;
    }
    std::string text;
    if (!ReadAll(file.Fd(), text)) {
        error = Reason("cannot read", path);
        return false;
    }
    if (!ParseRunLog(text, reading, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

namespace {

// `fresh` decides, given the latest measurement of the run's kind, whether
// the run begins a new one; `after`, when given, receives the log's runs
// with the new one appended.
bool Append(const std::string& path, LoggedRun& run,
            const std::function<bool(const std::vector<LoggedRun>&)>& fresh,
            std::vector<LoggedRun>* after, const std::string& comment, std::string& error) {
    struct stat before {};
    const bool existed = stat(path.c_str(), &before) == 0;
    std::unique_ptr<CFile> opened;
    // A few rounds at most: each one follows an upgrade another writer made.
    for (int round = 0; !opened; ++round) {
        // A link is followed; a folder, device or FIFO is refused.
        int fd = -1;
        const FileStatus status = OpenToAppend(path, fd);
        auto candidate = std::make_unique<CFile>(fd);
        if (!status) {
            error = FileStatusText(status);
            return false;
        }
        // One writer at a time: the tie reads the runs the append follows.
        if (flock(candidate->Fd(), LOCK_EX) != 0) {
            error = Reason("cannot lock", path);
            return false;
        }
        if (StillAt(candidate->Fd(), path)) {
            opened = std::move(candidate);
        } else if (round >= 100) {
            error = path + ": replaced again and again while waiting for its lock";
            return false;
        }
    }
    const CFile& file = *opened;
    std::string text;
    if (!ReadAll(file.Fd(), text)) {
        error = Reason("cannot read", path);
        return false;
    }
    RunLogReading reading;
    if (!ParseRunLog(text, reading, error)) {
        error = path + ": " + error + "; the run was not appended";
        return false;
    }
    std::size_t end = text.rfind('\n');
    std::size_t kept = end == std::string::npos ? 0 : end + 1;
    // Run numbers go on from the highest ever written, skipped runs too, so
    // a number is never given twice.
    long long highest = 0;
    for (std::size_t at = 0; at < kept; at = text.find('\n', at) + 1)
        highest = std::max(highest, std::strtoll(text.c_str() + at, nullptr, 10));
    if (highest >= INT_MAX) {
        error = path + ": no run number left after " + std::to_string(highest);
        return false;
    }
    run.run = static_cast<int>(highest) + 1;
    std::vector<LoggedRun> earlier = LatestMeasurement(reading.runs, run.axis, run.tableInForce);
    // Runs in another unit are other numbers: never one measurement.
    if (fresh(earlier) || (!earlier.empty() &&
                           (!SameTargets(earlier.back(), run) || earlier.back().unit != run.unit)))
        earlier.clear();
    if (earlier.empty()) {
        run.measurement = 1;
        for (const LoggedRun& r : reading.runs)
            run.measurement = std::max(run.measurement, r.measurement + 1);
    } else {
        run.measurement = earlier.back().measurement;
    }
    if (!TieRun(earlier, run, error)) return false;

    if (reading.withoutUnit) {
        const std::string upgraded = WithUnitColumn(text.substr(0, kept));
        if (!Upgrade(path, file.Fd(),
                     upgraded + (comment.empty() ? "" : CommentLine(comment)) + FormatRun(run),
                     error))
            return false;
    } else if (kept != text.size() && ftruncate(file.Fd(), static_cast<off_t>(kept)) != 0) {
        error = Reason("cannot drop the cut-short line of", path);
        return false;
    } else {
        std::string append = kept == 0 ? std::string(RUN_LOG_HEADER) + "\n" : std::string();
        if (!comment.empty()) append += CommentLine(comment);
        append += FormatRun(run);
        if (lseek(file.Fd(), 0, SEEK_END) < 0 || !WriteAll(file.Fd(), append) ||
            fsync(file.Fd()) != 0) {
            error = Reason("cannot write", path);
            return false;
        }
        if (!existed) SyncDirectoryOf(path);
    }
    if (after != nullptr) {
        *after = std::move(reading.runs);
        after->push_back(run);
    }
    return true;
}

}  // namespace

bool AppendRunToLog(const std::string& path, LoggedRun& run, bool fresh, std::string& error,
                    const std::string& comment) {
    return Append(
        path, run, [fresh](const std::vector<LoggedRun>&) { return fresh; }, nullptr, comment,
        error);
}

bool AppendRunToLog(const std::string& path, LoggedRun& run, double referenceSince,
                    std::vector<LoggedRun>& runs, std::string& error) {
    auto lostSince = [referenceSince](const std::vector<LoggedRun>& latest) {
        return !latest.empty() && !latest.back().points.empty() &&
               RunLogTimeSeconds(latest.back().points.back().time) < referenceSince;
    };
    return Append(path, run, lostSince, &runs, std::string(), error);
}

std::string RunLogTimeNow() {
    // The fine clock, as the kernel stamps files: time() reads a coarse copy
    // that can lag a second behind just after a second turns, and a run would
    // then seem to end before a LinuxCNC start it followed.
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm utc{};
    gmtime_r(&now.tv_sec, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

double RunLogTimeSeconds(const std::string& text) {
    std::tm utc{};
    char zone = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &utc.tm_year, &utc.tm_mon,
                    &utc.tm_mday, &utc.tm_hour, &utc.tm_min, &utc.tm_sec, &zone) != 7 ||
        zone != 'Z') {
        return -1.0;
    }
    utc.tm_year -= 1900;
    utc.tm_mon -= 1;
    return static_cast<double>(timegm(&utc));
}

}  // namespace pitchwise
