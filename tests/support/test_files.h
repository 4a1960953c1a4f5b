// Files for tests: read back whole, or made present but unreadable.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "text_file.h"

namespace pitchwise {

// False whether the file is missing or unreadable, which a test that wrote
// the file itself need not tell apart.
inline bool ReadFileForTest(const std::string& path, std::string& text) {
    std::string error;
    return ReadTextFile(path, text, error) == FileRead::READ;
}

// Something at `path` that cannot be read: a file of mode 000, or, for root
// (whom no mode stops), a folder. Returns the system's reason a read gives.
inline const char* MakeUnreadable(const std::string& path) {
    std::remove(path.c_str());
    if (geteuid() == 0) {
        mkdir(path.c_str(), 0755);
        return "Is a directory";
    }
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file != nullptr) {
        std::fputs("0 0 0\n", file);
        std::fclose(file);
    }
    chmod(path.c_str(), 0);
    return "Permission denied";
}

// Undoes MakeUnreadable.
inline void RemoveUnreadable(const std::string& path) {
    if (rmdir(path.c_str()) != 0) std::remove(path.c_str());
}

}  // namespace pitchwise
