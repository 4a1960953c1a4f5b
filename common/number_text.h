// Numbers as the house reads them from files and command lines and writes
// them into logs, tables and programs: with the charconv functions, never
// printf or strtod, so a locale with a decimal comma never changes a file.
#pragma once

#include <string>

namespace pitchwise {

// "-?digits[.digits]" only (no '+', exponent, inf or nan), at most 24
// characters and 1e9 in size: no machine's travel reaches further in any
// unit. False when the text is not one.
bool ReadDecimal(const std::string& text, double& value);

// `value` with `decimals` decimals and a point; whatever rounds to zero is
// "0.000...", never "-0.000..."; "nan" for what is not a length at all.
std::string FixedText(double value, int decimals);

}  // namespace pitchwise
