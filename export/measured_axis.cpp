#include "measured_axis.h"

#include "run_tie.h"

namespace pitchwise {

ExportStatus SelectMeasurement(const std::vector<LoggedRun>& log, char axis, int measurement,
                               MeasuredAxis& measured) {
    std::vector<LoggedRun> runs;
    if (measurement == 0) {
        runs = LatestMeasurement(log, axis, false);
    } else {
        for (const LoggedRun& run : log)
            if (run.axis == axis && !run.tableInForce && run.measurement == measurement)
                runs.push_back(run);
    }
    const std::string axisName(1, axis);
    if (runs.empty())
        return ExportStatus(ExportCode::NO_MEASUREMENT, {static_cast<double>(measurement)},
                            axisName);
    // A log written by hand could mix them; the appender never does.
    for (const LoggedRun& run : runs)
        if (run.unit != runs.front().unit)
            return ExportStatus(ExportCode::MIXED_UNITS,
                                {static_cast<double>(runs.front().measurement)}, axisName);
    measured = MeasuredAxis();
    measured.axis = axis;
    measured.measurement = runs.front().measurement;
    measured.firstRun = runs.front().run;
    measured.lastRun = runs.back().run;
    measured.unit = runs.front().unit;
    measured.reference = runs.front().points.front().target;
    for (const LoggedRun& run : runs)
        (run.direction == Direction::UP ? measured.runsUp : measured.runsDown)++;
    AxisFigures figures = ComputeAxisFigures(CollectDeviations(runs));
    measured.meanReversal = figures.meanReversal;
    for (const TargetFigures& t : figures.targets)
        measured.points.push_back({t.target, t.meanUp, t.meanDown, t.sUp, t.sDown});
    if (measured.points.empty())
        return ExportStatus(ExportCode::NO_MEASURED_POINT,
                            {static_cast<double>(measured.measurement)}, axisName);
    return ExportStatus();
}

}  // namespace pitchwise
