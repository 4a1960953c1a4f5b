// Any float in any of the run's numeric command lines, including NaN, the
// infinities and the largest and smallest values: the line fits its buffer,
// never holds a comma, and its number reads back as the value to four
// decimals. A comma or a cut-off digit would move the machine somewhere else.
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "command_line.h"
#include "fuzz_check.h"
#include "fuzz_locale.h"

namespace pitchwise {

namespace {

struct FuzzInput {
    float value;
    int point;
    char axis;
};

// The number at the end of a line: finite values with exactly four decimals.
void CheckNumber(const char* number, float value) {
    const char* end = number + std::strlen(number);
    double parsed = 0.0;
    auto result = std::from_chars(number, end, parsed);
    FUZZ_CHECK(result.ec == std::errc() && result.ptr == end);
    if (std::isnan(value)) {
        FUZZ_CHECK(std::isnan(parsed));
        return;
    }
    if (std::isinf(value)) {
        FUZZ_CHECK(parsed == static_cast<double>(value));
        return;
    }
    const char* point = std::strchr(number, '.');
    FUZZ_CHECK(point != nullptr && end - point == 5);
    const double exact = static_cast<double>(value);
    const double magnitude = std::fabs(exact);
    const double ulp =
        std::nextafter(magnitude, std::numeric_limits<double>::infinity()) - magnitude;
    FUZZ_CHECK(std::fabs(parsed - exact) <= 0.00005 + 2 * ulp);
}

void CheckLine(const CommandLine& line, const char* prefix, float value) {
    const std::size_t length = strnlen(line.text, sizeof line.text);
    FUZZ_CHECK(length < sizeof line.text);
    FUZZ_CHECK(std::strchr(line.text, ',') == nullptr);
    const std::size_t prefixLength = std::strlen(prefix);
    FUZZ_CHECK(std::strncmp(line.text, prefix, prefixLength) == 0);
    CheckNumber(line.text + prefixLength, value);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    UseCommaLocaleIfInstalled();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input;
    if (size != sizeof input.value + sizeof input.point + 1) return -1;
    std::memcpy(&input.value, data, sizeof input.value);
    std::memcpy(&input.point, data + sizeof input.value, sizeof input.point);
    static const char axes[] = {'X', 'Y', 'Z'};
    input.axis = axes[data[size - 1] % 3];
    const double value = static_cast<double>(input.value);

    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "G0%c", input.axis);
    CheckLine(FormatCommandLine("G0%c%.4f", input.axis, value), prefix, input.value);
    std::snprintf(prefix, sizeof prefix, "G1%c", input.axis);
    CheckLine(FormatCommandLine("G1%c%.4f", input.axis, value), prefix, input.value);

    std::snprintf(prefix, sizeof prefix, "L606 N%d V", input.point);
    FUZZ_CHECK(std::strchr(prefix, ',') == nullptr);
    CheckLine(FormatCommandLine("L606 N%d V%.4f", input.point, value), prefix, input.value);
    return 0;
}

}  // namespace pitchwise
