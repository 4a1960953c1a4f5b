#include "point_format.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace pitchwise {

namespace {

const char* LocalePoint() {
    const char* point = std::localeconv()->decimal_point;
    return (point && *point) ? point : ".";
}

}  // namespace

int FormatWithPoint(char* buffer, std::size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int length = FormatWithPointV(buffer, size, format, args);
    va_end(args);
    return length;
}

int FormatWithPointV(char* buffer, std::size_t size, const char* format, va_list args) {
    if (size == 0) return -1;
    int length = std::vsnprintf(buffer, size, format, args);
    if (length < 0) {
        buffer[0] = '\0';
        return -1;
    }
    const char* point = LocalePoint();
    std::size_t pointLength = std::strlen(point);
    if (std::strcmp(point, ".") == 0) return length;
    // At most one number per call site carries a decimal separator, but
    // replacing every occurrence keeps this true for any format.
    for (char* found = std::strstr(buffer, point); found; found = std::strstr(found + 1, point)) {
        *found = '.';
        std::memmove(found + 1, found + pointLength, std::strlen(found + pointLength) + 1);
    }
    return static_cast<int>(std::strlen(buffer));
}

double ReadNumberWithPoint(const char* text) {
    // Hand atof the locale's own separator in place of the point.
    const char* point = LocalePoint();
    std::size_t pointLength = std::strlen(point);
    const bool pointDiffers = std::strcmp(point, ".") != 0;
    char local[256];
    std::size_t n = 0;
    for (const char* c = text; *c && n + pointLength + 1 < sizeof local; ++c) {
        // The locale's separator is no separator in a point text: C's atof
        // stops there, and so does this.
        if (pointDiffers && std::strncmp(c, point, pointLength) == 0) break;
        if (*c == '.' && pointDiffers) {
            std::memcpy(local + n, point, pointLength);
            n += pointLength;
        } else {
            local[n++] = *c;
        }
    }
    local[n] = '\0';
    return std::atof(local);
}

}  // namespace pitchwise
