// Any text of 0 to 19 characters in a number field of the Create command:
// the check passes exactly the texts made of digits and points, and such a
// text converts as C atof does, leading digits and one point, to a value that
// is never negative, never infinite and never a NaN.
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "create_fields.h"
#include "fuzz_check.h"
#include "fuzz_locale.h"

namespace pitchwise {

namespace {

bool OnlyDigitsAndPoints(const std::string& text) {
    return text.find_first_not_of("0123456789.") == std::string::npos;
}

// The value atof gives for digits and points: the digits before the first
// point, then those between it and the next point; read without the locale.
float ExpectedValue(const std::string& text) {
    std::size_t point = text.find('.');
    std::string whole = text.substr(0, point);
    std::string fraction;
    if (point != std::string::npos) {
        std::size_t next = text.find('.', point + 1);
        fraction = text.substr(point + 1, next == std::string::npos ? next : next - point - 1);
    }
    std::string normal = (whole.empty() ? "0" : whole) + "." + (fraction.empty() ? "0" : fraction);
    double value = -1.0;
    auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    FUZZ_CHECK(result.ec == std::errc() && result.ptr == normal.data() + normal.size());
    return static_cast<float>(value);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    UseCommaLocaleIfInstalled();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A field is read through a 20-byte buffer: a text ends at 19 characters
    // or at its first zero byte.
    if (size > FIELD_BUFFER_SIZE - 1) return -1;
    char field[FIELD_BUFFER_SIZE] = {};
    if (size > 0) std::memcpy(field, data, size);
    const std::string text(field);

    const bool numeric = IsNumericText(field);
    FUZZ_CHECK(numeric == OnlyDigitsAndPoints(text));

    const float value = FieldValue(field);  // any text: must not misbehave
    if (!numeric) return 0;
    FUZZ_CHECK(std::isfinite(value));
    FUZZ_CHECK(value >= 0.0f);
    FUZZ_CHECK(value == ExpectedValue(text));
    return 0;
}

}  // namespace pitchwise
