#include "report_options.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pitchwise {

const char* const REPORT_USAGE_LINE =
    "usage: pitchwise-report RUNLOG [-o DIR] [--unit mm|inch] [temperature options]"
    "   (pitchwise-report --help says more)\n";

const char* const REPORT_USAGE =
    "usage: pitchwise-report RUNLOG [-o DIR] [--unit mm|inch] [temperature options]\n"
    "\n"
    "Reads the run log, prints the figures of each axis's latest measurement\n"
    "(per direction and for the axis) and writes into DIR (default: the run\n"
    "log's folder) report.txt and, per axis, axis-x.png and axis-x.svg.\n"
    "\n"
    "  -o DIR          write the report into DIR (made if missing)\n"
    "  --unit mm|inch  the machine's length unit, for a run log that does not\n"
    "                  record it; refused when it contradicts the log's\n"
    "  -h, --help      print this help and exit\n";

const char* const REPORT_EXITS =
    "\n"
    "Exits 0 when written, 1 when the log cannot be read, holds no run or\n"
    "records another unit than --unit, 2 on a usage error.\n";

bool ParseReportCommandLine(int argc, const char* const* argv, ReportCommandLine& options,
                            std::string& error) {
    options = ReportCommandLine();
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "-o") {
            if (i + 1 >= argc) {
                error = "-o needs a folder";
                return false;
            }
            options.dir = argv[++i];
        } else if (argument == "--unit") {
            if (i + 1 >= argc || !UnitFromName(argv[i + 1], options.unit)) {
                error = "--unit takes mm or inch";
                return false;
            }
            ++i;
        } else if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument;
            return false;
        } else if (argument.empty()) {
            error = "an empty run log name";
            return false;
        } else if (!options.runLog.empty()) {
            error = "one run log only, not also " + argument;
            return false;
        } else {
            options.runLog = argument;
        }
    }
    if (options.help) return true;
    if (options.runLog.empty()) {
        error = "no run log given";
        return false;
    }
    if (options.dir.empty()) {
        std::size_t slash = options.runLog.rfind('/');
        options.dir = slash == std::string::npos ? "." : options.runLog.substr(0, slash + 1);
    }
    return true;
}

bool CheckRunLogReadable(const std::string& path, std::string& error) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat status {};
    const bool directory = fstat(fd, &status) == 0 && S_ISDIR(status.st_mode);
    close(fd);
    if (directory) {
        error = "cannot read " + path + ": " + std::strerror(EISDIR);
        return false;
    }
    return true;
}

}  // namespace pitchwise
