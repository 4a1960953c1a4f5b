// What a perfect measurement of the bench's axis would give: the figures
// from the injected error curve and lost motion at the targets and
// directions the runs measured, with no reading noise.
#pragma once

#include <string>
#include <vector>

#include "axis_model.h"
#include "positioning_figures.h"
#include "run_log.h"

namespace pitchwise {

// The figures of the latest measurement among `runs` (as logged), computed
// from the model instead of the readings.
AxisFigures BenchTruthFigures(const PitchErrorProfile& profile, const std::vector<LoggedRun>& runs);

// Each deviation is the difference of two readings, the point's and its
// run's zero, each with the noise σ and the rounding to whole counts, sent
// as a correction rounded to four decimals: s² = 2 (σ² + count²/12) +
// 0.0001²/12. R↑ and R↓ come out near 4s, R near that plus B; the tie adds a
// little more, the mean of the earlier runs' values at each start.
double ExpectedUnidirectionalRepeatability(const PitchErrorProfile& profile);

// "truth E 0.001234 ...": the figures in the length unit and in QSB counts.
std::string BenchTruthText(const PitchErrorProfile& profile, const std::vector<LoggedRun>& runs);

}  // namespace pitchwise
