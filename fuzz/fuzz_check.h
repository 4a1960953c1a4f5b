// Property checks for the harnesses: a broken property must stop the fuzzer
// with the input that broke it, in every build type (assert() would vanish
// under NDEBUG).
#pragma once

#include <cstdio>
#include <cstdlib>

namespace pitchwise {

#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)

}  // namespace pitchwise
