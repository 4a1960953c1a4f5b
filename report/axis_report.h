// One axis's report: the runs of its latest measurement, the figures from
// them, and the verification runs made with the table in force. The text
// and the picture are both drawn from this one value, so they never
// disagree.
#pragma once

#include <string>
#include <vector>

#include "positioning_figures.h"
#include "run_log.h"

namespace pitchwise {

struct AxisReport {
    char axis = 'X';
    std::vector<LoggedRun> runs;            // the latest measurement
    AxisFigures figures;                    // from `runs`
    std::vector<LoggedRun> verification;    // with the table in force, if any
    AxisFigures residual;                   // from `verification`
    LengthUnit unit = LengthUnit::UNKNOWN;  // as logged, or as the operator said
};

// One report per axis in the log, X, Y, Z order.
std::vector<AxisReport> BuildAxisReports(const std::vector<LoggedRun>& log);

// Gives every report whose log does not record its unit `given`. False,
// with the first axis in `axis`, when a report's logged unit is another.
bool TakeGivenUnit(std::vector<AxisReport>& reports, LengthUnit given, char& axis);

// The figures as text: per target, then per direction and for the axis, in
// the length unit and in QSB counts.
std::string AxisReportText(const AxisReport& report);

}  // namespace pitchwise
