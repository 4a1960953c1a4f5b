#include "capture_messages.h"

#include "text.h"

namespace pitchwise {

namespace {

// "line N: " where the status names a line of the plan.
std::string AtLine(const CaptureStatus& s) {
    return s.number(0) > 0 ? Format("line %.0f: ", s.number(0)) : std::string();
}

std::string PlanMessage(const CaptureStatus& s) {
    const std::string& subject = s.subject();
    switch (s.code()) {
        case CaptureCode::PLAN_NOT_A_PLAN:
            return AtLine(s) + "not a pitchwise-capture plan";
        case CaptureCode::PLAN_OLD_FORMAT:
            return AtLine(s) +
                   "written by an earlier pitchwise-capture, its targets in work coordinates "
                   "and without the QSB's counts per unit: plan again";
        case CaptureCode::PLAN_NOT_KEY_VALUE:
            return AtLine(s) + "expected a key and a value";
        case CaptureCode::PLAN_UNKNOWN_KEY:
            return AtLine(s) + "unknown key " + subject;
        case CaptureCode::PLAN_KEY_TWICE:
            return AtLine(s) + subject + " given twice";
        case CaptureCode::PLAN_KEY_MISSING:
            return "no " + subject + " line";
        default: {
            // PLAN_BAD_VALUE: the line, "key value".
            const std::size_t space = subject.find(' ');
            return AtLine(s) + subject.substr(0, space) + " cannot be " +
                   (space == std::string::npos ? std::string() : subject.substr(space + 1));
        }
    }
}

std::string UsageMessage(const CaptureStatus& s, const std::vector<std::string>& arguments) {
    const std::string& subject = s.subject();
    switch (s.code()) {
        case CaptureCode::USAGE_NO_COMMAND:
            return "give a command: plan or run";
        case CaptureCode::USAGE_UNKNOWN_COMMAND:
            return "unknown command " + subject;
        case CaptureCode::USAGE_UNKNOWN_OPTION:
            return "unknown option " + subject;
        case CaptureCode::USAGE_NEEDS_VALUE:
            return subject + " needs a value";
        case CaptureCode::USAGE_BAD_VALUE: {
            const std::size_t at = static_cast<std::size_t>(s.number(0));
            return subject + " cannot be " + (at < arguments.size() ? arguments[at] : "");
        }
        case CaptureCode::USAGE_UNEXPECTED_ARGUMENT:
            return "unexpected argument " + subject;
        case CaptureCode::USAGE_ONE_PLAN:
            return "one plan at a time";
        case CaptureCode::USAGE_PLAN_INCOMPLETE:
            return "plan needs --axis, --from, --to, --dialect and -o";
        case CaptureCode::USAGE_RUN_WITHOUT_PLAN:
            return "run needs a plan";
        default:
            // USAGE_SEED_WITHOUT_OFFSETS
            return "--seed is for --random-offsets only";
    }
}

}  // namespace

std::string CaptureMessage(const CaptureStatus& s, const std::vector<std::string>& arguments) {
    switch (s.code()) {
        case CaptureCode::OK:
            return "done";
        case CaptureCode::RANGE_BACKWARDS:
            return "--to must lie above --from";
        case CaptureCode::COUNT_OR_SPACING:
            return "give either --targets or --spacing";
        case CaptureCode::SPACING_NOT_WHOLE:
            return Format("the travel %g is not a whole number of spacings %g", s.number(0),
                          s.number(1));
        case CaptureCode::TARGET_COUNT:
            return Format("a cycle needs from %g to %g targets", s.number(0), s.number(1));
        case CaptureCode::AXIS:
            return "the axis is X, Y or Z";
        case CaptureCode::TOO_FEW_TARGETS:
            return "a cycle needs at least two targets";
        case CaptureCode::TARGET_BEYOND_TRAVEL:
            return "a target lies beyond any machine's travel";
        case CaptureCode::TARGETS_NOT_RISING:
            return "the targets must rise one after the other";
        case CaptureCode::RUNS_RANGE:
            return Format("the runs must lie from %g to %g", s.number(0), s.number(1));
        case CaptureCode::FEED:
            return "the feed must be above 0";
        case CaptureCode::DWELL_TOO_SHORT:
            return Format("a dwell under %g s is too short for two readings at standstill",
                          s.number(0));
        case CaptureCode::WINDOW:
            return "the window must be above 0";
        case CaptureCode::LOST_MOTION:
            return "the lost motion cannot be negative";
        case CaptureCode::WINDOW_TOO_WIDE:
            return Format("the window %g is wider than half the smallest spacing %g", s.number(0),
                          s.number(1));
        case CaptureCode::OVERRUN_TOO_SMALL:
            return Format("the overrun %g must be larger than the window plus the lost motion (%g)",
                          s.number(0), s.number(1));
        case CaptureCode::SCALE:
            return "the QSB's counts per unit must be above 0";
        case CaptureCode::PLAN_NOT_A_PLAN:
        case CaptureCode::PLAN_OLD_FORMAT:
        case CaptureCode::PLAN_NOT_KEY_VALUE:
        case CaptureCode::PLAN_UNKNOWN_KEY:
        case CaptureCode::PLAN_KEY_TWICE:
        case CaptureCode::PLAN_KEY_MISSING:
        case CaptureCode::PLAN_BAD_VALUE:
            return PlanMessage(s);
        case CaptureCode::USAGE_NO_COMMAND:
        case CaptureCode::USAGE_UNKNOWN_COMMAND:
        case CaptureCode::USAGE_UNKNOWN_OPTION:
        case CaptureCode::USAGE_NEEDS_VALUE:
        case CaptureCode::USAGE_BAD_VALUE:
        case CaptureCode::USAGE_UNEXPECTED_ARGUMENT:
        case CaptureCode::USAGE_ONE_PLAN:
        case CaptureCode::USAGE_PLAN_INCOMPLETE:
        case CaptureCode::USAGE_RUN_WITHOUT_PLAN:
        case CaptureCode::USAGE_SEED_WITHOUT_OFFSETS:
            return UsageMessage(s, arguments);
    }
    return CaptureCodeName(s.code());
}

}  // namespace pitchwise
