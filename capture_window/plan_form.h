// The window's plan step without the window: the fields as the operator
// typed them, read into a plan, and each refusal put beside the field it
// concerns in the window's own words (the plan's rules return codes and
// numbers; the command line words them with its options instead).
#pragma once

#include <string>

#include "cycle_plan.h"

namespace pitchwise {

enum class PlanField { NONE, AXIS, FROM, TO, TARGETS, SPACING, RUNS, DWELL, FEED };

struct PlanForm {
    std::string axis = "X";
    std::string from, to;
    std::string targets, spacing;               // one of the two
    std::string runs = "5", dwell = "5", feed;  // an empty feed takes the unit's default
    std::string unit = "mm";
    std::string dialect = "linuxcnc";
    bool randomOffsets = false;
    std::uint32_t seed = 0;
};

struct PlanFormCheck {
    CaptureStatus status;
    PlanField field = PlanField::NONE;  // where to show `words`
    std::string words;                  // empty when the plan is sound
};

// Reads the form and makes the plan; a field that is no number is refused
// as such before the plan's rules are asked.
PlanFormCheck ReadPlanForm(const PlanForm& form, CapturePlan& plan);

// The window's words for a plan refusal, and the field they belong beside.
PlanFormCheck PlanRefusalForWindow(const CaptureStatus& status);

}  // namespace pitchwise
