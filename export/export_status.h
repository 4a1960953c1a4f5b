// What the export's layers answer: one code per outcome and the numbers a
// message needs, in the order given beside each code. pitchwise-export's
// main words them; the layers never name an option.
#pragma once

#include "status.h"

namespace pitchwise {

// X(code): numbers (subject)
#define PITCHWISE_EXPORT_CODES(X)                                                             \
    X(OK)                                                                                     \
    X(NO_MEASUREMENT)           /* measurement asked, 0 for the latest (axis) */              \
    X(NO_MEASURED_POINT)        /* measurement (axis) */                                      \
    X(MIXED_UNITS)              /* measurement (axis) */                                      \
    X(ONE_DIRECTION_ONLY)       /* measurement (format) */                                    \
    X(UNIT_NEEDED)              /* (format) */                                                \
    X(UNIT_CONTRADICTS)         /* unit given, unit logged, as LengthUnit */                  \
    X(BASIC_SYSTEM_NEEDED)      /* (format) */                                                \
    X(ZERO_OUTSIDE)             /* position */                                                \
    X(NO_RANGE)                 /* 1 when both directions were needed */                      \
    X(UNEVEN_TARGETS)           /* - */                                                       \
    X(GRID_OUTSIDE)             /* from, until, low, high, 1 when both directions */          \
    X(GRID_START_NOT_BELOW_END) /* from, until */                                             \
    X(SPACING_NOT_POSITIVE)     /* spacing, grid's length */                                  \
    X(GRID_ENDS_NOT_WRITABLE)   /* from, until, resolution */                                 \
    X(SPACING_DOES_NOT_FIT)     /* spacing, from, until, smaller fit or 0, larger fit or 0 */ \
    X(TOO_MANY_POINTS)          /* from, until, spacing, points, most points, fit or 0 */     \
    X(BEYOND_MAX_CORRECTION)    /* value, position, limit */                                  \
    X(LACKS_DIRECTION)          /* position */                                                \
    X(VALUE_TOO_LARGE)          /* position */                                                \
    X(END_VALUES_HELD)          /* a note: first value, last value */

enum class ExportCode {
#define PITCHWISE_EXPORT_CODE(name) name,
    PITCHWISE_EXPORT_CODES(PITCHWISE_EXPORT_CODE)
#undef PITCHWISE_EXPORT_CODE
};

using ExportStatus = Status<ExportCode>;

// "OK", "NO_MEASUREMENT", ...: for logs and test failures.
const char* ExportCodeName(ExportCode code);

}  // namespace pitchwise
