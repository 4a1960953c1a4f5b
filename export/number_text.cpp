#include "number_text.h"

#include <cmath>

#include "run_log.h"

bool ReadDecimal(const std::string& text, double& value) {
    double parsed = 0;
    if (!ReadLogNumber(text, parsed) || std::fabs(parsed) > 1e9) return false;
    value = parsed;
    return true;
}

std::string FixedText(double value, int decimals) {
    // Far beyond any length, the fixed form would not fit the writer's buffer.
    return std::fabs(value) <= 1e15 ? LogFixed(value, decimals) : "nan";
}
