// The run log's refusals in words, for a program's message or a library's
// log; the reading itself returns only codes and numbers.
#include <string>

#include "number_text.h"
#include "run_log.h"

namespace pitchwise {

const char* RunLogCodeName(RunLogCode code) {
    switch (code) {
#define PITCHWISE_RUN_LOG_CODE(name) \
    case RunLogCode::name:           \
        return #name;
#include "run_log_codes.def"
#undef PITCHWISE_RUN_LOG_CODE
    }
    return "?";
}

namespace {

std::string Whole(double number) {
    return std::to_string(static_cast<long long>(number));
}

// The words of a code, without the line a line's refusal names first.
std::string Reason(RunLogCode code, const RunLogStatus& s, std::size_t first) {
    auto n = [&](std::size_t i) { return s.number(first + i); };
    switch (code) {
        case RunLogCode::OK:
            return "no fault";
        case RunLogCode::NOT_THE_HEADER:
            return "not the run log header";
        case RunLogCode::NUL_BYTE:
            return "holds a NUL byte";
        case RunLogCode::FIELD_COUNT:
            return "expected " + Whole(n(0)) + " comma-separated fields, found " + Whole(n(1));
        case RunLogCode::BAD_RUN:
            return "run is not a whole number from 1";
        case RunLogCode::BAD_MEASUREMENT:
            return "measurement is not a whole number from 1";
        case RunLogCode::BAD_TIME:
            return "time is not YYYY-MM-DDTHH:MM:SSZ";
        case RunLogCode::BAD_AXIS:
            return "axis is not X, Y or Z";
        case RunLogCode::BAD_DIRECTION:
            return "direction is not up or down";
        case RunLogCode::BAD_TABLE_IN_FORCE:
            return "table_in_force is not 0 or 1";
        case RunLogCode::BAD_POINTS:
            return "points is not a whole number from 1 to " + Whole(n(0));
        case RunLogCode::BAD_POINT:
            return "point is not a whole number below points";
        case RunLogCode::BAD_TARGET:
            return "target is not a decimal number within 1e9";
        case RunLogCode::BAD_CORRECTION:
            return "correction is not a decimal number within 1e9";
        case RunLogCode::BAD_APPROACH:
            return "approach is not up or down";
        case RunLogCode::BAD_DEVIATION:
            return "deviation is not a decimal number within 1e9";
        case RunLogCode::BAD_UNIT:
            return "unit is not mm, inch or empty";
        case RunLogCode::DIFFERS_FROM_RUN:
            return "differs from the earlier lines of run " + Whole(n(0));
        case RunLogCode::POINT_OUT_OF_ORDER:
            return "point " + Whole(n(0)) + " out of order";
        case RunLogCode::RUN_OUT_OF_ORDER:
            return "run " + Whole(n(0)) + " comes after run " + Whole(n(1));
        case RunLogCode::RUN_NOT_AT_POINT_0:
            return "a run must begin with point 0";
        case RunLogCode::RUN_WITHOUT_POINTS:
            return "run " + Whole(n(0)) + " has no points";
        case RunLogCode::START_NOT_TIED:
            return "run " + Whole(n(0)) + " starts at " + FixedText(n(1), 4) + " reached moving " +
                   (n(2) != 0 ? "down" : "up") +
                   ", where no earlier run of the measurement was: it cannot be tied to them";
    }
    return "?";
}

}  // namespace

std::string RunLogMessage(const RunLogStatus& status) {
    const RunLogCode code = status.code();
    // A run's refusals name the run; every other one names its line.
    if (code == RunLogCode::OK || code == RunLogCode::RUN_WITHOUT_POINTS ||
        code == RunLogCode::START_NOT_TIED)
        return Reason(code, status, 0);
    return "line " + Whole(status.number(0)) + ": " + Reason(code, status, 1);
}

}  // namespace pitchwise
