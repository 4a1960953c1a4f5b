// The part program of a cycle in a controller family's dialect: absolute
// machine coordinates (a work offset in force must not shift the targets),
// one feed, only linear moves, dwells in blocks of their own and the end
// code, in the plan's unit with a unit code that sets the feed's unit too.
//
//   G21 G90 G94                  (LinuxCNC, grbl; Siemens: G710 G90 G94)
//   G53 G1 F1200         (Siemens: SUPA G1 ...; Fanuc: G53)
//   G4 P5                        (Fanuc: G04 X5.; Siemens: G4 F5)
//
// Fanuc's G53 positions at rapid traverse only: there the feed is not used.
// Fanuc's G20/G21 stand in a block of their own before any other; its G94
// makes G04 X count seconds on a mill (on a lathe G90 is a cycle: mills only).
#pragma once

#include <string>

#include "cycle_plan.h"

namespace pitchwise {

// The program of a sound plan; an unsound one is refused with CheckPlan's
// code and `program` is left empty.
CaptureStatus PartProgram(const CapturePlan& plan, std::string& program);

}  // namespace pitchwise
