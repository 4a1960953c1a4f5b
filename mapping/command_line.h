// Command lines for the controller, always with a point as decimal separator.
#pragma once

#include <cstddef>

namespace pitchwise {

// Room for any line the run formats, including "%.4f" of the largest float.
constexpr std::size_t COMMAND_LINE_MAX = 128;

struct CommandLine {
    char text[COMMAND_LINE_MAX];
};

// printf-style formatting that ignores the process locale's decimal separator.
CommandLine FormatCommandLine(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace pitchwise
