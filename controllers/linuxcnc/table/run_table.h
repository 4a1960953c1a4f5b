// The table a run leaves: its own column merged with the old table, or,
// for a measurement, the mean of its runs per target, taken from the same
// figures the report prints, so the table and the report never disagree.
#pragma once

#include <vector>

#include "positioning_figures.h"
#include "run_log.h"
#include "run_policy.h"

namespace pitchwise {

struct RunTable {
    std::vector<RunPoint> column;  // the run's direction, ascending
    std::vector<CompPoint> table;  // the whole file as it would be written
};

// The run as the log keeps it, without run and measurement numbers and
// deviations (the log's append gives those).
LoggedRun LoggedRunOf(const RunState& run);

// The old table with the run's column in it. Refused when the union of
// points exceeds COMP_TABLE_MAX or the run's column meets a kept point too
// steeply.
Verdict TableOfRun(const RunSetup& setup, const RunReadings& readings, RunTable& result);

// `own` with every target the measurement measured moving the run's way
// replaced by the mean of its runs there (`figures`, of the measurement
// `run` was appended to, deviations on its reference). The run itself,
// in both, gives the shift from that reference to the table's.
std::vector<RunPoint> MeanColumn(const std::vector<RunPoint>& own, const LoggedRun& run,
                                 const AxisFigures& figures);

// `result` (from TableOfRun) with the measurement's means in place of the
// run's own column; refused when the means meet a kept point too steeply.
Verdict TableOfMeasurement(const RunSetup& setup, const LoggedRun& run, const AxisFigures& figures,
                           RunTable& result);

}  // namespace pitchwise
