#include "number_text.h"

#include <charconv>
#include <cmath>
#include <cstddef>

namespace pitchwise {

namespace {

constexpr std::size_t kMaxNumberLength = 24;
// A kilometre in micrometres, more than any machine's travel in any unit.
// Beyond it a number is a slip, and what the writers' fixed decimals make
// of it could outgrow kMaxNumberLength and no longer read back.
constexpr double kMaxMagnitude = 1e9;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool ReadDecimal(const std::string& text, double& value) {
    if (text.empty() || text.size() > kMaxNumberLength) return false;
    std::size_t i = text[0] == '-' ? 1 : 0;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (digits == 0) return false;
    if (i < text.size() && text[i] == '.') {
        ++i;
        std::size_t decimals = 0;
        while (i < text.size() && IsDigit(text[i])) ++i, ++decimals;
        if (decimals == 0) return false;
    }
    if (i != text.size()) return false;
    double parsed = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        std::fabs(parsed) > kMaxMagnitude)
        return false;
    value = parsed;
    return true;
}

std::string FixedText(double value, int decimals) {
    // Far beyond any length the fixed form would not fit the buffer.
    if (!(std::fabs(value) <= 1e15)) return "nan";
    // Whatever rounds to zero is written as zero, never "-0.0000".
    if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0.0;
    char text[64];
    auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, result.ptr);
}

}  // namespace pitchwise
