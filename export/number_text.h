// Numbers as the export reads them from the command line and writes them
// into tables: with the charconv functions, so a locale with a decimal comma
// never changes a file.
#pragma once

#include <string>

// A number as the run log writes them ("-?digits[.digits]": no '+',
// exponent, inf or nan) and at most 1e9 in size: no machine's travel
// reaches further in any unit. False when it is not one.
bool ReadDecimal(const std::string& text, double& value);

// `value` with `decimals` decimals; whatever rounds to zero is "0.000...",
// never "-0.000..."; "nan" for what is not a length at all.
std::string FixedText(double value, int decimals);
