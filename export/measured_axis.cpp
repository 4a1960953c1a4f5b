#include "measured_axis.h"

#include "run_tie.h"

namespace pitchwise {

bool SelectMeasurement(const std::vector<LoggedRun>& log, char axis, int measurement,
                       MeasuredAxis& measured, std::string& error) {
    std::vector<LoggedRun> runs;
    if (measurement == 0) {
        runs = LatestMeasurement(log, axis, false);
    } else {
        for (const LoggedRun& run : log)
            if (run.axis == axis && !run.tableInForce && run.measurement == measurement)
                runs.push_back(run);
    }
    if (runs.empty()) {
        error = std::string("the run log holds no mapping measurement") +
                (measurement == 0 ? "" : " " + std::to_string(measurement)) + " of axis " + axis;
        return false;
    }
    measured = MeasuredAxis();
    measured.axis = axis;
    measured.measurement = runs.front().measurement;
    measured.firstRun = runs.front().run;
    measured.lastRun = runs.back().run;
    measured.reference = runs.front().points.front().target;
    for (const LoggedRun& run : runs)
        (run.direction == Direction::UP ? measured.runsUp : measured.runsDown)++;
    AxisFigures figures = ComputeAxisFigures(CollectDeviations(runs));
    measured.meanReversal = figures.meanReversal;
    for (const TargetFigures& t : figures.targets)
        measured.points.push_back({t.target, t.meanUp, t.meanDown, t.sUp, t.sDown});
    if (measured.points.empty()) {
        error = "measurement " + std::to_string(measured.measurement) + " of axis " + axis +
                " holds no measured point";
        return false;
    }
    return true;
}

}  // namespace pitchwise
