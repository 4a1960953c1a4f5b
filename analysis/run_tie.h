// Runs on one reference. The QSB is zeroed at each run's start, so a run's
// own readings say where the axis was relative to that start only. Before
// runs can be averaged, each is tied to the ones measured before it:
//
// - The first run of a measurement is the reference: deviation = -correction.
// - Any later run begins at the mean deviation the earlier runs measured at
//   its start target, reached in the same direction as its start was. The
//   usual case is a run that starts where the previous one ended, the axis
//   waiting there: its start is in the previous run's state, lost motion
//   taken up the other way, and the next step shows the reversal.
//   Matching the state is what keeps the tie honest: tying a start reached
//   one way to a value reached the other would move the whole run by the
//   lost motion and hide it. The mean rather than the last such point keeps
//   reading noise from adding up from run to run along a chain of ties.
// - A run whose start no earlier run reached that way cannot be placed and
//   is refused.
//
// Point 0 of a run reads the zero the QSB was just given, so it carries the
// tie and no measurement: the figures never count it (CollectDeviations),
// and a tie uses it only where nothing else was measured there (the
// reference's own start).
#pragma once

#include <string>
#include <vector>

#include "positioning_figures.h"
#include "run_log.h"

namespace pitchwise {

// Two targets are one when they agree to the four decimals of the log.
bool SameTarget(double a, double b);
// Both runs measured the same set of targets (in any order).
bool SameTargets(const LoggedRun& a, const LoggedRun& b);

// Fills every point's deviation of `run` from its corrections, tied to
// `earlier` (already tied, oldest first). RUN_WITHOUT_POINTS or
// START_NOT_TIED when the run cannot be placed on their reference.
RunLogStatus TieRun(const std::vector<LoggedRun>& earlier, LoggedRun& run);
// The same, with the refusal in words in `error`.
bool TieRun(const std::vector<LoggedRun>& earlier, LoggedRun& run, std::string& error);

// The runs of the latest measurement in the log on `axis`, with the table
// in force or not.
std::vector<LoggedRun> LatestMeasurement(const std::vector<LoggedRun>& log, char axis,
                                         bool tableInForce);

// The deviations of the runs gathered by target, ascending, and by the
// direction each point was reached; point 0 of every run left out.
std::vector<TargetDeviations> CollectDeviations(const std::vector<LoggedRun>& runs);

}  // namespace pitchwise
