#include "number_text.h"

#include <charconv>
#include <cmath>

namespace {

constexpr double kLargest = 1e9;
constexpr std::size_t kLongest = 24;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool ReadDecimal(const std::string& text, double& value) {
    if (text.empty() || text.size() > kLongest) return false;
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
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
    if (!std::isfinite(parsed) || std::fabs(parsed) > kLargest) return false;
    value = parsed;
    return true;
}

std::string FixedText(double value, int decimals) {
    char text[64];
    if (!std::isfinite(value)) return "nan";
    if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0.0;
    auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) return "nan";
    return std::string(text, result.ptr);
}
