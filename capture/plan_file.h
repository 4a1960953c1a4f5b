// The plan file written beside the part program: everything the capture
// needs to follow the program's stops (axis, unit, targets in order, runs
// and directions, feed, dwell, overrun, window), one "key value" a line.
#pragma once

#include <string>

#include "cycle_plan.h"

namespace pitchwise {

// The file's text; `program` is the program's file name, for the reader.
std::string FormatPlan(const CapturePlan& plan, const std::string& program);

// Reads a plan and checks it as the plan command does. False with the line
// and the reason when it is malformed or unsound.
bool ParsePlan(const std::string& text, CapturePlan& plan, std::string& error);

}  // namespace pitchwise
