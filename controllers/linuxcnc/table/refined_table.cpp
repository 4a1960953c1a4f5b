#include "refined_table.h"

#include <cmath>
#include <cstdio>
#include <map>

#include "interpolation.h"
#include "run_tie.h"

namespace pitchwise {

namespace {

struct Residual {
    double target;
    double mean;
};

double Mean(const std::vector<double>& values) {
    double sum = 0.0;
    for (double v : values) sum += v;
    return sum / static_cast<double>(values.size());
}

// The mean residual per target moving one way, ascending by target.
std::vector<Residual> MeanResiduals(const std::vector<LoggedRun>& runs, Direction direction) {
    std::map<long long, std::pair<double, std::vector<double>>> measured;
    std::map<long long, std::pair<double, std::vector<double>>> starts;
    for (const TargetDeviations& at : CollectDeviations(runs)) {
        const std::vector<double>& values = direction == Direction::UP ? at.up : at.down;
        if (!values.empty()) measured[std::llround(at.target * 10000.0)] = {at.target, values};
    }
    for (const LoggedRun& run : runs) {
        if (run.points.empty() || run.points.front().approach != direction) continue;
        const LoggedPoint& start = run.points.front();
        auto& at = starts[std::llround(start.target * 10000.0)];
        at.first = start.target;
        at.second.push_back(start.deviation);
    }
    for (const auto& [key, start] : starts) measured.insert({key, start});
    std::vector<Residual> residuals;
    for (const auto& entry : measured)
        residuals.push_back(Residual{entry.second.first, Mean(entry.second.second)});
    return residuals;
}

double ResidualAt(const std::vector<Residual>& residuals, double target) {
    std::vector<Sample> samples;
    for (const Residual& residual : residuals)
        samples.push_back(Sample{residual.target, residual.mean});
    return *InterpolateAt(samples, target, Beyond::HOLD);
}

bool WithinSlope(const std::vector<RunPoint>& column, double ratio, std::string& why) {
    for (std::size_t i = 1; i < column.size(); ++i) {
        const RunPoint& a = column[i - 1];
        const RunPoint& b = column[i];
        const double allowed = (b.nominal - a.nominal) * ratio;
        if (std::fabs((b.actual - b.nominal) - (a.actual - a.nominal)) > allowed + 1e-9) {
            char text[160];
            std::snprintf(text, sizeof text,
                          "the refined correction changes by more than %g between %.6f and %.6f",
                          allowed, a.nominal, b.nominal);
            why = text;
            return false;
        }
    }
    return true;
}

}  // namespace

std::string RefinedCandidatePath(const std::string& table) {
    const std::size_t slash = table.find_last_of('/');
    const std::size_t dot = table.find_last_of('.');
    const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (extension ? table.substr(0, dot) : table) + "-refined.dat";
}

bool RefineTable(const std::vector<CompPoint>& inForce, const std::vector<LoggedRun>& verification,
                 double maxChangeRatio, std::vector<CompPoint>& candidate, std::string& why) {
    // Every target the runs reached, starts included.
    std::map<long long, double> byKey;
    for (const LoggedRun& run : verification) {
        for (const LoggedPoint& p : run.points) byKey[std::llround(p.target * 10000.0)] = p.target;
    }
    std::vector<double> targets;
    for (const auto& entry : byKey) targets.push_back(entry.second);
    candidate = inForce;
    for (Direction direction : {Direction::UP, Direction::DOWN}) {
        const std::vector<Residual> residuals = MeanResiduals(verification, direction);
        if (residuals.empty()) continue;
        const bool positive = direction == Direction::UP;
        std::vector<RunPoint> column;
        for (double target : targets) {
            column.push_back(RunPoint{
                target, ActualAt(inForce, positive, target) + ResidualAt(residuals, target)});
        }
        candidate = MergeRun(candidate, column, positive);
        if (!WithinSlope(column, maxChangeRatio, why) ||
            !JunctionsWithinSlope(candidate, column, positive, maxChangeRatio, why))
            return false;
    }
    if (candidate.size() > COMP_TABLE_MAX) {
        why = "the refined table would exceed 256 points";
        return false;
    }
    std::string lint;
    if (!CheckCompTableText(FormatCompTable(candidate), lint)) {
        why = "the refined table would be read wrongly: " + lint;
        return false;
    }
    return true;
}

}  // namespace pitchwise
