#include "run_reference.h"

#include <algorithm>
#include <cmath>

namespace pitchwise {

int ChooseApproachSide(double start, double minLimit, double maxLimit) {
    // A start at the lower limit can only be reached from above.
    if (start > minLimit) return 1;
    if (start < maxLimit) return -1;
    return 0;
}

bool RunCanBeTied(const std::vector<CompPoint>& old, bool compensationInForce, int approach,
                  double start, double firstPoint) {
    const int direction = firstPoint > start ? 1 : -1;
    if (approach == direction || compensationInForce) return true;
    if (old.empty()) return false;
    const double low = std::min(start, firstPoint);
    const double high = std::max(start, firstPoint);
    return old.front().nominal <= low + 5e-7 && old.back().nominal >= high - 5e-7;
}

double ApproachPoint(int side, double start, double distance, double minLimit, double maxLimit) {
    return std::clamp(start - side * distance, minLimit, maxLimit);
}

std::vector<RunPoint> RunColumn(const std::vector<CompPoint>& old, const RunReadings& run) {
    const bool positive = run.direction > 0;
    double tie = 0.0;
    if (!run.compensationInForce && !old.empty())
        tie = ActualAt(old, run.approach > 0, run.start) - run.start;
    std::vector<RunPoint> column;
    for (std::size_t i = 0; i < run.entries.size(); ++i) {
        if (i == 0 && run.approach != run.direction) continue;
        const MapEntry& entry = run.entries[i];
        const double base =
            run.compensationInForce ? ActualAt(old, positive, entry.nominal) : entry.nominal;
        column.push_back(RunPoint{entry.nominal, base - entry.correction + tie});
    }
    if (run.approach != run.direction && !column.empty()) {
        const RunPoint first = column.front();  // the first step's point, in run order
        const bool approachPositive = run.approach > 0;
        column.push_back(RunPoint{run.start, ActualAt(old, approachPositive, run.start) +
                                                 first.actual -
                                                 ActualAt(old, approachPositive, first.nominal)});
    }
    std::sort(column.begin(), column.end(),
              [](const RunPoint& a, const RunPoint& b) { return a.nominal < b.nominal; });
    return column;
}

}  // namespace pitchwise
