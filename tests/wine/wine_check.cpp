#include "wine_check.h"

#include <cstdio>

namespace pitchwise {

namespace {

int theChecks = 0;
int theFailures = 0;
std::string theCase;

}  // namespace

bool Check(bool ok, const std::string& what) {
    ++theChecks;
    if (!ok) {
        ++theFailures;
        std::printf("FAIL [%s] %s\n", theCase.c_str(), what.c_str());
        std::fflush(stdout);
    }
    return ok;
}

bool CheckEqual(long long actual, long long expected, const std::string& what) {
    return Check(actual == expected, what + ": got " + std::to_string(actual) + ", expected " +
                                         std::to_string(expected));
}

bool CheckText(const std::string& actual, const std::string& expected, const std::string& what) {
    return Check(actual == expected,
                 what + ": got \"" + actual + "\", expected \"" + expected + "\"");
}

void BeginCase(const std::string& name) {
    theCase = name;
    std::printf("--- %s\n", name.c_str());
    std::fflush(stdout);
}

int Summary() {
    std::printf("%d checks, %d failed\n", theChecks, theFailures);
    std::fflush(stdout);
    return theFailures == 0 ? 0 : 1;
}

}  // namespace pitchwise
