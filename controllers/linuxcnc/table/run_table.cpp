#include "run_table.h"

#include "run_tie.h"

namespace pitchwise {

RunReadings ReadingsOf(const RunState& run) {
    RunReadings readings;
    readings.start = run.start;
    readings.approach = run.approach;
    // A run of the start alone has only the approach's direction.
    readings.direction = run.direction != 0 ? run.direction : run.approach;
    readings.compensationInForce = run.setup.compensationInForce;
    readings.entries = run.entries;
    return readings;
}

LoggedRun LoggedRunOf(const RunState& state) {
    const bool positive = ReadingsOf(state).direction > 0;
    LoggedRun run;
    run.axis = state.setup.axis.axis;
    run.direction = positive ? Direction::UP : Direction::DOWN;
    run.tableInForce = state.setup.compensationInForce;
    run.unit = state.setup.axis.unit;  // the INI's LINEAR_UNITS
    for (std::size_t i = 0; i < state.entries.size(); ++i) {
        LoggedPoint point;
        point.point = static_cast<int>(i);
        point.time = state.times[i];
        point.target = state.entries[i].nominal;
        point.correction = state.entries[i].correction;
        // The start is reached from its approach side; every step then
        // goes the run's way.
        point.approach = (i == 0 ? state.approach > 0 : positive) ? Direction::UP : Direction::DOWN;
        run.points.push_back(point);
    }
    return run;
}

Verdict TableOfRun(const RunSetup& setup, const RunReadings& readings, RunTable& result) {
    const bool positive = readings.direction > 0;
    result.column = RunColumn(setup.oldTable, readings);
    result.table = MergeRun(setup.oldTable, result.column, positive);
    if (result.table.size() > COMP_TABLE_MAX) {
        return Refuse(Refusal::MERGED_TABLE_FULL, "the merged table would exceed " +
                                                      std::to_string(COMP_TABLE_MAX) + " points");
    }
    // A verification run's limits are checked on the candidate it leads to.
    std::string why;
    if (!setup.compensationInForce && !JunctionsWithinSlope(result.table, result.column, positive,
                                                            setup.config.maxChangeRatio, why))
        return Refuse(Refusal::STEEP_JUNCTION, why);
    return Go();
}

// The start of a run stepping against its approach was measured the other
// way only: it stays the run's first step away from that point, as
// RunColumn put it.
std::vector<RunPoint> MeanColumn(const std::vector<RunPoint>& own, const LoggedRun& run,
                                 const AxisFigures& figures) {
    if (run.points.size() < 2) return own;
    double shift = 0.0;
    int shared = 0;
    for (std::size_t i = 1; i < run.points.size(); ++i) {
        for (const RunPoint& p : own) {
            if (!SameTarget(p.nominal, run.points[i].target)) continue;
            shift += p.actual - p.nominal - run.points[i].deviation;
            ++shared;
        }
    }
    if (shared == 0) return own;
    shift /= shared;
    auto mean = [&](double nominal, double& value) {
        for (const TargetFigures& at : figures.targets) {
            const Figure& deviation = run.direction == Direction::UP ? at.meanUp : at.meanDown;
            if (!SameTarget(at.target, nominal) || !deviation) continue;
            value = nominal + *deviation + shift;
            return true;
        }
        return false;
    };
    // A start reached the run's own way is its tie and stays.
    double firstStepChange = 0.0;
    for (const RunPoint& p : own) {
        if (run.points[0].approach == run.direction) break;
        double value = 0.0;
        if (SameTarget(p.nominal, run.points[1].target) && mean(p.nominal, value))
            firstStepChange = value - p.actual;
    }
    std::vector<RunPoint> column = own;
    for (RunPoint& p : column) {
        if (!mean(p.nominal, p.actual)) p.actual += firstStepChange;
    }
    return column;
}

Verdict TableOfMeasurement(const RunSetup& setup, const LoggedRun& run, const AxisFigures& figures,
                           RunTable& result) {
    const bool positive = run.direction == Direction::UP;
    result.column = MeanColumn(result.column, run, figures);
    result.table = MergeRun(setup.oldTable, result.column, positive);
    std::string why;
    if (!JunctionsWithinSlope(result.table, result.column, positive, setup.config.maxChangeRatio,
                              why))
        return Refuse(Refusal::STEEP_JUNCTION, why + " (the run is kept in " + setup.runLog + ")");
    return Go();
}

}  // namespace pitchwise
