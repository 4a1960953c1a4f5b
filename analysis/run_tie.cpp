#include "run_tie.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace pitchwise {

namespace {

// Targets as whole ten-thousandths, the resolution of the log.
long long TargetKey(double target) {
    return std::llround(target * 10000.0);
}

std::vector<long long> TargetKeys(const LoggedRun& run) {
    std::vector<long long> keys;
    for (const LoggedPoint& p : run.points) keys.push_back(TargetKey(p.target));
    std::sort(keys.begin(), keys.end());
    // A run may reach one target twice (a cycle's start is where the
    // previous sweep ended, and its first stop the same target from the
    // other side): the set is what ties runs together.
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

}  // namespace

bool SameTarget(double a, double b) {
    return TargetKey(a) == TargetKey(b);
}

bool SameTargets(const LoggedRun& a, const LoggedRun& b) {
    return TargetKeys(a) == TargetKeys(b);
}

RunLogStatus TieRun(const std::vector<LoggedRun>& earlier, LoggedRun& run) {
    if (run.points.empty())
        return RunLogStatus(RunLogCode::RUN_WITHOUT_POINTS, {static_cast<double>(run.run)});
    const LoggedPoint& start = run.points.front();
    double offset = 0;  // the deviation at this run's zero, on the reference
    bool placed = earlier.empty();
    for (std::size_t from : {std::size_t(1), std::size_t(0)}) {
        double sum = 0;
        int count = 0;
        for (const LoggedRun& r : earlier) {
            for (std::size_t i = from; i < (from == 0 ? 1 : r.points.size()); ++i) {
                const LoggedPoint& p = r.points[i];
                if (SameTarget(p.target, start.target) && p.approach == start.approach) {
                    sum += p.deviation;
                    ++count;
                }
            }
        }
        if (placed || count == 0) continue;
        offset = sum / count;
        placed = true;
    }
    if (!placed) {
        return RunLogStatus(RunLogCode::START_NOT_TIED,
                            {static_cast<double>(run.run), start.target,
                             start.approach == Direction::DOWN ? 1.0 : 0.0});
    }
    // The run measured how far each point lies from its start: the deviation
    // there is minus the correction it sent, on top of where the start lies.
    for (LoggedPoint& p : run.points) p.deviation = offset - p.correction;
    return RunLogStatus();
}

bool TieRun(const std::vector<LoggedRun>& earlier, LoggedRun& run, std::string& error) {
    const RunLogStatus status = TieRun(earlier, run);
    if (!status.ok()) error = RunLogMessage(status);
    return status.ok();
}

std::vector<LoggedRun> LatestMeasurement(const std::vector<LoggedRun>& log, char axis,
                                         bool tableInForce) {
    int latest = 0;
    for (const LoggedRun& r : log)
        if (r.axis == axis && r.tableInForce == tableInForce)
            latest = std::max(latest, r.measurement);
    std::vector<LoggedRun> runs;
    for (const LoggedRun& r : log)
        if (r.axis == axis && r.tableInForce == tableInForce && r.measurement == latest)
            runs.push_back(r);
    return runs;
}

std::vector<TargetDeviations> CollectDeviations(const std::vector<LoggedRun>& runs) {
    std::map<long long, TargetDeviations> byTarget;
    for (const LoggedRun& run : runs) {
        for (std::size_t i = 1; i < run.points.size(); ++i) {
            const LoggedPoint& p = run.points[i];
            TargetDeviations& at = byTarget[TargetKey(p.target)];
            at.target = static_cast<double>(TargetKey(p.target)) / 10000.0;
            (p.approach == Direction::UP ? at.up : at.down).push_back(p.deviation);
        }
    }
    std::vector<TargetDeviations> targets;
    for (auto& entry : byTarget) targets.push_back(entry.second);
    return targets;
}

}  // namespace pitchwise
