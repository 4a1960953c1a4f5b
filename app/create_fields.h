// The checks and conversions of the Create command's fields.
#pragma once

namespace pitchwise {

// Field texts are read through a 20-byte buffer: at most 19 characters count.
constexpr int FIELD_BUFFER_SIZE = 20;

// True when every character is a digit or a point (empty text passes; more
// than one point passes too).
bool IsNumericText(const char* text);

// C atof semantics with a point, kept in single precision.
float FieldValue(const char* text);

// The operator's message for a mapping result.
const char* MapResultMessage(int result);

}  // namespace pitchwise
