// The plan file written beside the part program: everything the capture
// needs to follow the program's stops (axis, unit, the QSB's counts per
// unit, targets in machine coordinates and in order, runs and directions,
// feed, dwell, overrun, window), one "key value" a line.
#pragma once

#include <string>

#include "cycle_plan.h"

namespace pitchwise {

// The file's text; `program` is the program's file name, for the reader.
std::string FormatPlan(const CapturePlan& plan, const std::string& program);

// Reads a plan and checks it as the plan command does: a malformed line
// is refused with its number, an unsound plan with CheckPlan's code, and a
// plan of an earlier format (its targets in work coordinates, no scale)
// with PLAN_OLD_FORMAT.
CaptureStatus ParsePlan(const std::string& text, CapturePlan& plan);

}  // namespace pitchwise
