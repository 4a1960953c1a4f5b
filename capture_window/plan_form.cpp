#include "plan_form.h"

#include <cmath>
#include <optional>

#include "number_text.h"
#include "text.h"

namespace pitchwise {

namespace {

// Read with the house's reader, not strtod: the window runs under the
// operator's locale, where strtod may take "0.5" for 0.
std::optional<double> NumberIn(const std::string& text) {
    double value = 0;
    if (!ReadDecimal(Trim(text), value)) return std::nullopt;
    return value;
}

PlanFormCheck Refused(PlanField field, std::string words) {
    PlanFormCheck check;
    check.status = CaptureStatus(CaptureCode::OK);
    check.field = field;
    check.words = std::move(words);
    return check;
}

}  // namespace

PlanFormCheck PlanRefusalForWindow(const CaptureStatus& s) {
    PlanFormCheck check;
    check.status = s;
    auto put = [&check](PlanField field, std::string words) {
        check.field = field;
        check.words = std::move(words);
        return check;
    };
    switch (s.code()) {
        case CaptureCode::OK:
            return check;
        case CaptureCode::RANGE_BACKWARDS:
            return put(PlanField::TO, "Must lie above the first target.");
        case CaptureCode::COUNT_OR_SPACING:
            return put(PlanField::TARGETS, "Give the number of targets or the spacing, not both.");
        case CaptureCode::SPACING_NOT_WHOLE:
            return put(PlanField::SPACING, Format("%g does not go a whole number of times into %g.",
                                                  s.number(1), s.number(0)));
        case CaptureCode::TARGET_COUNT:
        case CaptureCode::TOO_FEW_TARGETS:
            return put(PlanField::TARGETS, "From 2 to 10000 targets.");
        case CaptureCode::AXIS:
            return put(PlanField::AXIS, "X, Y or Z.");
        case CaptureCode::TARGET_BEYOND_TRAVEL:
            return put(PlanField::FROM, "Beyond any machine's travel.");
        case CaptureCode::TARGETS_NOT_RISING:
            return put(PlanField::SPACING, "The targets must rise one after the other.");
        case CaptureCode::RUNS_RANGE:
            return put(PlanField::RUNS, "From 1 to 100 runs each way.");
        case CaptureCode::FEED:
            return put(PlanField::FEED, "Must be above 0.");
        case CaptureCode::DWELL_TOO_SHORT:
            return put(
                PlanField::DWELL,
                Format("At least %g s: two readings, a second apart, at standstill.", s.number(0)));
        case CaptureCode::WINDOW_TOO_WIDE:
            return put(PlanField::SPACING,
                       Format("Targets %g apart are too close for a window of \xC2\xB1%g.",
                              s.number(1), s.number(0)));
        case CaptureCode::WINDOW:
        case CaptureCode::LOST_MOTION:
        case CaptureCode::OVERRUN_TOO_SMALL:
            break;
        default:
            // The scale, the plan file's and the command line's codes do not
            // come from the form's fields.
            return put(PlanField::NONE, "The plan cannot be made from these settings.");
    }
    // The window, lost motion and overrun are the unit's defaults here.
    return put(PlanField::NONE, "The plan's window, lost motion and overrun do not fit.");
}

PlanFormCheck ReadPlanForm(const PlanForm& form, CapturePlan& plan) {
    PlanRequest request;
    const std::string axis = Trim(form.axis);
    request.axis = axis.size() == 1 ? axis[0] : '?';
    if (!UnitFromName(form.unit, request.unit) || request.unit == LengthUnit::UNKNOWN)
        return Refused(PlanField::NONE, "Choose mm or inch.");
    if (!DialectFromName(form.dialect, request.dialect))
        return Refused(PlanField::NONE, "Choose a dialect.");
    struct {
        const std::string& text;
        PlanField field;
        bool optional;
        double* into;
    } numbers[] = {{form.from, PlanField::FROM, false, &request.from},
                   {form.to, PlanField::TO, false, &request.to},
                   {form.spacing, PlanField::SPACING, true, &request.spacing},
                   {form.dwell, PlanField::DWELL, false, &request.dwell}};
    for (const auto& n : numbers) {
        const std::optional<double> value = NumberIn(n.text);
        if (value) {
            *n.into = *value;
        } else if (!n.optional || !Trim(n.text).empty()) {
            return Refused(n.field, "A number, please.");
        }
    }
    const std::optional<double> targets = NumberIn(form.targets);
    if (targets && (*targets != std::floor(*targets) || *targets < 0 || *targets > 1e6))
        return Refused(PlanField::TARGETS, "A whole number of targets.");
    if (!targets && !Trim(form.targets).empty())
        return Refused(PlanField::TARGETS, "A number, please.");
    request.targets = targets ? static_cast<int>(*targets) : 0;
    const std::optional<double> runs = NumberIn(form.runs);
    if (!runs || *runs != std::floor(*runs) || *runs < 0 || *runs > 1e6)
        return Refused(PlanField::RUNS, "A whole number of runs.");
    request.runs = static_cast<int>(*runs);
    if (!Trim(form.feed).empty()) {
        request.feed = NumberIn(form.feed);
        if (!request.feed) return Refused(PlanField::FEED, "A number, please.");
    }
    request.randomOffsets = form.randomOffsets;
    request.seed = form.seed;
    return PlanRefusalForWindow(MakePlan(request, plan));
}

}  // namespace pitchwise
