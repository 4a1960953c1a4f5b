#include "text.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace pitchwise {

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    char small[256];
    const int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    std::string text;
    if (needed < 0) {
        text.clear();
    } else if (static_cast<std::size_t>(needed) < sizeof small) {
        text = small;
    } else {
        std::vector<char> large(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(large.data(), large.size(), format, again);
        text.assign(large.data(), static_cast<std::size_t>(needed));
    }
    va_end(again);
    return text;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool StartsWith(const std::string& text, const std::string& head) {
    return text.compare(0, head.size(), head) == 0;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string LastWord(const std::string& text) {
    std::size_t space = text.find_last_of(' ');
    return space == std::string::npos ? text : text.substr(space + 1);
}

std::string Counted(long long count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace pitchwise
