// The table a verification measurement suggests. Runs made with the table
// in force measure what it leaves (the residual); the table in force itself
// is never changed by them, since LinuxCNC keeps running the one it loaded
// until it restarts, and every later run of the start is measured through
// that one. The suggestion is written beside it for the owner to apply.
#pragma once

#include <string>
#include <vector>

#include "comp_table.h"
#include "run_log.h"

namespace pitchwise {

// "comp_x.dat" gives "comp_x-refined.dat" beside it.
std::string RefinedCandidatePath(const std::string& table);

// Each column of `inForce` plus the mean residual of `verification` (the
// runs of one measurement made through it) moving that way, at the
// measurement's targets; between measured targets the residual is
// interpolated, beyond them held (a negative run's start is measured moving
// positive only). A run's start carries its tie, not a reading, so it
// counts only where nothing else was measured that way (the reference's
// own start). Merged, limited in slope and size, and checked as LinuxCNC
// reads a table, as a mapped table is; false with the reason otherwise.
bool RefineTable(const std::vector<CompPoint>& inForce, const std::vector<LoggedRun>& verification,
                 double maxChangeRatio, std::vector<CompPoint>& candidate, std::string& why);

}  // namespace pitchwise
