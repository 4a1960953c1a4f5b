// The part program of a cycle in a controller family's dialect: absolute
// coordinates, one feed, only linear moves, dwells in blocks of their own
// and the end code, in the plan's unit.
#pragma once

#include <string>

#include "cycle_plan.h"

namespace pitchwise {

std::string PartProgram(const CapturePlan& plan);

}  // namespace pitchwise
