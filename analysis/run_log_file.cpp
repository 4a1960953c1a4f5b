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
    // A link is followed; a folder, device or FIFO is refused.
    int fd = -1;
    const FileStatus opened = OpenToAppend(path, fd);
    CFile file(fd);
    if (!opened) {
        error = FileStatusText(opened);
        return false;
    }
    // One writer at a time: the tie reads the runs the append follows.
    if (flock(file.Fd(), LOCK_EX) != 0) {
        error = Reason("cannot lock", path);
        return false;
    }
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
    if (fresh(earlier) || (!earlier.empty() && !SameTargets(earlier.back(), run))) earlier.clear();
    if (earlier.empty()) {
        run.measurement = 1;
        for (const LoggedRun& r : reading.runs)
            run.measurement = std::max(run.measurement, r.measurement + 1);
    } else {
        run.measurement = earlier.back().measurement;
    }
    if (!TieRun(earlier, run, error)) return false;

    if (kept != text.size() && ftruncate(file.Fd(), static_cast<off_t>(kept)) != 0) {
        error = Reason("cannot drop the cut-short line of", path);
        return false;
    }
    std::string append = kept == 0 ? std::string(RUN_LOG_HEADER) + "\n" : std::string();
    if (!comment.empty()) append += CommentLine(comment);
    append += FormatRun(run);
    if (lseek(file.Fd(), 0, SEEK_END) < 0 || !WriteAll(file.Fd(), append) ||
        fsync(file.Fd()) != 0) {
        error = Reason("cannot write", path);
        return false;
    }
    if (!existed) SyncDirectoryOf(path);
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
