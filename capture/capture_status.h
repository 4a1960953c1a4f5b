// What capture's pure layers (the cycle's rules, the plan file, the part
// program, the command line) report: one code each, compared by callers and
// tests, with the numbers and the subject a message needs. The command (or
// a window) words them; nothing here names a flag.
#pragma once

#include "status.h"

namespace pitchwise {

// X(code): each code once; its name follows from it.
#define PITCHWISE_CAPTURE_CODES(X)                                                            \
    X(OK)                                                                                     \
    /* The cycle. */                                                                          \
    X(RANGE_BACKWARDS)   /* the last target not above the first */                            \
    X(COUNT_OR_SPACING)  /* neither or both of a target count and a spacing */                \
    X(SPACING_NOT_WHOLE) /* numbers: the travel, the spacing */                               \
    X(TARGET_COUNT)      /* numbers: the least and the most targets */                        \
    X(AXIS)              /* subject: the axis given */                                        \
    X(TOO_FEW_TARGETS)                                                                        \
    X(TARGET_BEYOND_TRAVEL) /* numbers: the target */                                         \
    X(TARGETS_NOT_RISING)   /* numbers: the target that does not rise */                      \
    X(RUNS_RANGE)           /* numbers: the least and the most runs */                        \
    X(FEED)                 /* the feed is not above 0 */                                     \
    X(DWELL_TOO_SHORT)      /* numbers: the least dwell in seconds */                         \
    X(WINDOW)               /* the window is not above 0 */                                   \
    X(LOST_MOTION)          /* the lost motion is negative */                                 \
    X(WINDOW_TOO_WIDE)      /* numbers: the window, the smallest spacing */                   \
    X(OVERRUN_TOO_SMALL)    /* numbers: the overrun, the window plus the lost motion */       \
    X(SCALE)                /* the QSB's counts per unit are not above 0 */                   \
    /* The plan file; numbers: the line, where there is one. */                               \
    X(PLAN_NOT_A_PLAN)                                                                        \
    X(PLAN_OLD_FORMAT) /* written before machine coordinates and the scale */                 \
    X(PLAN_NOT_KEY_VALUE)                                                                     \
    X(PLAN_UNKNOWN_KEY) /* subject: the key */                                                \
    X(PLAN_KEY_TWICE)   /* subject: the key */                                                \
    X(PLAN_KEY_MISSING) /* subject: the key */                                                \
    X(PLAN_BAD_VALUE)   /* subject: the line ("key value") */                                 \
    /* The command line; subject: the option or argument, numbers: where its value is. */     \
    X(USAGE_NO_COMMAND)                                                                       \
    X(USAGE_UNKNOWN_COMMAND)                                                                  \
    X(USAGE_UNKNOWN_OPTION)                                                                   \
    X(USAGE_NEEDS_VALUE)                                                                      \
    X(USAGE_BAD_VALUE)                                                                        \
    X(USAGE_UNEXPECTED_ARGUMENT)                                                              \
    X(USAGE_ONE_PLAN)                                                                         \
    X(USAGE_PLAN_INCOMPLETE) /* the axis, the range, the dialect or the program is missing */ \
    X(USAGE_RUN_WITHOUT_PLAN)                                                                 \
    X(USAGE_SEED_WITHOUT_OFFSETS)

enum class CaptureCode {
#define PITCHWISE_CAPTURE_ENUMERATOR(name) name,
    PITCHWISE_CAPTURE_CODES(PITCHWISE_CAPTURE_ENUMERATOR)
#undef PITCHWISE_CAPTURE_ENUMERATOR
};

using CaptureStatus = Status<CaptureCode>;

// "OK", "RANGE_BACKWARDS", ...: for logs and test names.
const char* CaptureCodeName(CaptureCode code);

}  // namespace pitchwise
