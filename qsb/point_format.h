// printf-style formatting and C number reading with a point as decimal
// separator, whatever the process locale says (a toolkit may switch
// LC_NUMERIC to the user's locale, and the controller and the operator's
// fields always use a point).
#pragma once

#include <cstdarg>
#include <cstddef>

namespace pitchwise {

// As vsnprintf; returns the length written, or -1 on a formatting error
// (the buffer then holds an empty string).
int FormatWithPoint(char* buffer, std::size_t size, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
int FormatWithPointV(char* buffer, std::size_t size, const char* format, va_list args);

// C atof of text that uses a point: leading digits and point, 0 for none.
double ReadNumberWithPoint(const char* text);

}  // namespace pitchwise
