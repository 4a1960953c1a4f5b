// The harnesses that format or read numbers run under a locale whose decimal
// separator is a comma when one is installed (the fuzz stage builds one and
// names its folder in LOCPATH), because that is where a stray comma would
// come from: a toolkit switches LC_NUMERIC to the user's locale.
#pragma once

#include <clocale>
#include <cstdio>

namespace pitchwise {

inline void UseCommaLocaleIfInstalled() {
    static const char* const names[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"};
    for (const char* name : names) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            std::fprintf(stderr, "numbers formatted and read under the %s locale\n", name);
            return;
        }
    }
    std::fprintf(stderr, "no comma locale installed: numbers formatted and read under C\n");
}

}  // namespace pitchwise
