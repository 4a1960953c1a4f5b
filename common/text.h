// Text helpers used across the libraries: printf-style formatting with the
// point as decimal separator (the C locale every program here keeps), and
// the few comparisons the parsers need.
#pragma once

#include <string>

namespace pitchwise {

// Formats like printf, however long the result.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ASCII letters in upper case; everything else as it is.
std::string Upper(std::string text);

bool StartsWith(const std::string& text, const std::string& head);
bool EndsWith(const std::string& text, const std::string& tail);

// The text without leading and trailing blanks (space, tab, CR, LF).
std::string Trim(const std::string& text);

// What follows the last space, or the whole text when it has none.
std::string LastWord(const std::string& text);

// A count with its noun, in the singular for one: "1 run", "0 runs", "2 runs".
std::string Counted(long long count, const char* one, const char* many);

}  // namespace pitchwise
