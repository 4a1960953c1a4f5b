#include "runtime_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace pitchwise {

bool MakePrivateRuntimeDir(const std::string& prefix, unsigned uid, std::string& dir) {
    dir = prefix + "-" + std::to_string(uid);
    mkdir(dir.c_str(), 0700);
    struct stat status {};
    // Another user's folder, or a link planted to one, is never taken.
    return lstat(dir.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == uid &&
           (status.st_mode & 0077) == 0;
}

void ProvideRuntimeDir() {
    const char* given = std::getenv("XDG_RUNTIME_DIR");
    if (given && *given) return;
    std::string dir;
    if (MakePrivateRuntimeDir("/tmp/pitchwise-runtime", getuid(), dir)) {
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
}

}  // namespace pitchwise
