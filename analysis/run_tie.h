// Runs on one reference. The QSB is zeroed at each run's start, so a run's
// own readings say where the axis was relative to that start only. Before
// runs can be averaged, each is tied to the ones measured before it:
//
// - The first run of a measurement is the reference: deviation = -correction.
// - A run that starts where the previous run ended, with its start reached
//   the same way (the axis waited there, or came back the same way), begins
//   at that run's last deviation: the carriage is in the same place, with the
//   same lost motion taken up.
// - Otherwise a run is tied to the latest earlier point at its start target
//   reached in the same direction as its own start.
// - A run with neither cannot be placed and is refused.
//
// Point 0 of a run reads the zero the QSB was just given, so it carries the
// tie and no measurement: the figures never count it (CollectDeviations).
#pragma once

#include <string>
#include <vector>

#include "positioning_figures.h"
#include "run_log.h"

// Two targets are one when they agree to the four decimals of the log.
bool SameTarget(double a, double b);
// Both runs measured the same set of targets (in any order).
bool SameTargets(const LoggedRun& a, const LoggedRun& b);

// Fills every point's deviation of `run` from its corrections, tied to
// `earlier` (already tied, oldest first). False with the reason when the run
// cannot be placed on their reference.
bool TieRun(const std::vector<LoggedRun>& earlier, LoggedRun& run, std::string& error);

// The runs of the latest measurement in the log on `axis`, with the table
// in force or not.
std::vector<LoggedRun> LatestMeasurement(const std::vector<LoggedRun>& log, char axis,
                                         bool tableInForce);

// The deviations of the runs gathered by target, ascending, and by the
// direction each point was reached; point 0 of every run left out.
std::vector<TargetDeviations> CollectDeviations(const std::vector<LoggedRun>& runs);
