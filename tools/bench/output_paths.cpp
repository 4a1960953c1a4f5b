#include "output_paths.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace pitchwise {

namespace {

bool Refuse(const std::string& path, const std::string& why, int code, std::string& error) {
    error = "cannot write " + path + ": " + why + std::strerror(code);
    return false;
}

}  // namespace

bool CheckOutputPath(const std::string& path, std::string& error) {
    if (path.empty()) return true;
    const std::filesystem::path file(path);
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made) return Refuse(path, "cannot make its folder: ", made.value(), error);
    // Opened to append, so a run log already there is left as it is; a
    // folder of that name refuses to open for writing.
    const int existing = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (existing >= 0) {
        close(existing);
    } else if (errno != ENOENT) {
        return Refuse(path, "", errno, error);
    }
    // The files are written aside and renamed, or made: the folder must
    // take a new file.
    const std::string probe =
        (folder / ("." + file.filename().string() + ".probe-" + std::to_string(getpid()))).string();
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return Refuse(path, "cannot make a file in " + folder.string() + ": ", errno, error);
    }
    close(fd);
    unlink(probe.c_str());
    return true;
}

bool CheckBenchOutputs(const BenchCommandLine& options, std::string& error) {
    for (const std::string* path : {&options.envFile, &options.csvFile, &options.truthFile,
                                    &options.bench.behaviour.runLog}) {
        if (!CheckOutputPath(*path, error)) return false;
    }
    return true;
}

}  // namespace pitchwise
