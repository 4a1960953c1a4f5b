#include "command_line.h"

#include <cstdarg>

#include "point_format.h"

namespace pitchwise {

CommandLine FormatCommandLine(const char* format, ...) {
    CommandLine line;
    va_list args;
    va_start(args, format);
    FormatWithPointV(line.text, sizeof line.text, format, args);
    va_end(args);
    return line;
}

}  // namespace pitchwise
