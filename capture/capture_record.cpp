#include "capture_record.h"

#include <charconv>
#include <cmath>

namespace pitchwise {

namespace {

constexpr double kSlackSeconds = 10;

LoggedRun Sweep(const CapturePlan& plan, Direction direction, const CapturedPoint& start,
                const std::vector<CapturedPoint>& points, bool tableInForce) {
    LoggedRun run;
    run.axis = plan.axis;
    run.direction = direction;
    run.tableInForce = tableInForce;
    run.unit = plan.unit;
    const double startTarget = plan.targets[start.target];
    int index = 0;
    auto add = [&](const CapturedPoint& p) {
        LoggedPoint point;
        point.point = index++;
        point.time = p.time;
        point.target = plan.targets[p.target];
        point.approach = p.approach;
        const double measured = static_cast<double>(p.counts - start.counts) / plan.countsPerUnit;
        point.correction = (point.target - startTarget) - measured;
        run.points.push_back(point);
    };
    add(start);
    for (const CapturedPoint& p : points) add(p);
    return run;
}

}  // namespace

std::int64_t CountsFromFirst(const CapturePlan& plan, double position) {
    return std::llround((position - plan.targets.front()) * plan.countsPerUnit);
}

std::vector<TriggerStop> TriggerStopsFor(const CapturePlan& plan) {
    const std::vector<CycleStop> stops = CycleStops(plan);
    const std::vector<CycleWaypoint> path = CycleWaypoints(plan);
    const std::vector<std::size_t> at = StopWaypoints(path);
    std::vector<TriggerStop> result;
    for (std::size_t k = 0; k < stops.size(); ++k) {
        TriggerStop stop;
        stop.targetCounts = CountsFromFirst(plan, plan.targets[stops[k].target]);
        stop.approach = stops[k].direction;
        // The first stop is timed from the zero, taken during its dwell.
        double seconds = path[at[k]].dwellSeconds;
        if (k > 0) {
            const double program = CycleSeconds(plan, path, at[k - 1], at[k]);
            seconds = 2 * program - path[at[k]].dwellSeconds + path[at[k - 1]].dwellSeconds;
        }
        stop.secondsAllowed = seconds + kSlackSeconds;
        result.push_back(stop);
    }
    return result;
}

TriggerSettings TriggerSettingsFor(const CapturePlan& plan, double window, int bandCounts) {
    TriggerSettings settings;
    settings.windowCounts = std::llround(window * plan.countsPerUnit);
    settings.bandCounts = bandCounts;
    settings.startRiseCounts = std::llround(plan.overrun * plan.countsPerUnit);
    return settings;
}

double SecondsLeftAfter(const CapturePlan& plan, std::size_t done) {
    const std::vector<CycleWaypoint> path = CycleWaypoints(plan);
    const std::vector<std::size_t> at = StopWaypoints(path);
    if (done >= at.size()) return 0;
    return CycleSeconds(plan, path, at[done], path.size() - 1);
}

std::string CaptureLogComment(const CapturePlan& plan) {
    char scale[64];
    auto written =
        std::to_chars(scale, scale + sizeof scale, plan.countsPerUnit, std::chars_format::fixed);
    const std::string unit = UnitName(plan.unit);
    return std::string("pitchwise-capture: axis ") + plan.axis + " in " + unit +
           ", machine coordinates, the QSB at " + std::string(scale, written.ptr) + " counts per " +
           unit;
}

std::vector<LoggedRun> CycleRunLogs(const CapturePlan& plan, const CapturedPoint& start,
                                    const std::vector<CapturedPoint>& up,
                                    const std::vector<CapturedPoint>& down, bool tableInForce) {
    std::vector<LoggedRun> runs;
    runs.push_back(Sweep(plan, Direction::UP, start, up, tableInForce));
    if (!up.empty()) runs.push_back(Sweep(plan, Direction::DOWN, up.back(), down, tableInForce));
    return runs;
}

}  // namespace pitchwise
