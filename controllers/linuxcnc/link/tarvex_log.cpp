#include "tarvex_log.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "text_file.h"

namespace pitchwise {

namespace {

std::string theLogPath;
std::string theUnopenedPath;  // the log path already reported as unusable

}  // namespace

std::string DefaultLogPath() {
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "/tmp") + "/.local/state/tarvex-linuxcnc.log";
}

void SetLogPath(const std::string& path) {
    theLogPath = path;
}

void LogMessage(const std::string& message) {
    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::fprintf(stderr, "tarvex-linuxcnc: %s\n", message.c_str());
    std::string path = theLogPath;
    if (path.empty()) {
        // The default lies in the user's state folder, which may not exist yet.
        path = DefaultLogPath();
        std::string folder = path.substr(0, path.rfind('/'));
        mkdir(folder.substr(0, folder.rfind('/')).c_str(), 0755);
        mkdir(folder.c_str(), 0755);
    }
    // One write of the whole line to a file opened for appending, so two
    // processes logging at once never mix their lines; a link is followed,
    // and a folder, device or FIFO is refused.
    int fd = -1;
    const FileStatus opened = OpenToAppend(path, fd);
    if (opened) {
        WriteAll(fd, std::string(stamp) + " " + message + "\n");
        close(fd);
    } else if (path != theUnopenedPath) {
        // Once per path: the owner must learn the log is missing, not read it on every line.
        theUnopenedPath = path;
        std::fprintf(
            stderr,
            "tarvex-linuxcnc: cannot open the log %s (%s): messages go to "
            "standard error only\n",
            path.c_str(),
            opened.systemError() != 0 ? std::strerror(opened.systemError()) : "not a regular file");
    }
}

}  // namespace pitchwise
