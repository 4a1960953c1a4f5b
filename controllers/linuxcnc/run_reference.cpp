#include "run_reference.h"

#include <algorithm>
#include <cmath>

bool ColumnHoldsMeasurement(const std::vector<CompPoint>& table, bool positive) {
    for (const CompPoint& p : table) {
        if (std::fabs((positive ? p.positive : p.negative) - p.nominal) > 5e-7) return true;
    }
    return false;
}

int ChooseApproachSide(const std::vector<CompPoint>& old, bool compensationInForce,
                       double standing, double start, double minLimit, double maxLimit) {
    int preferred = standing > start ? -1 : 1;
    if (!compensationInForce) {
        const bool positive = ColumnHoldsMeasurement(old, true);
        const bool negative = ColumnHoldsMeasurement(old, false);
        if (positive != negative)
            preferred = positive ? 1 : -1;
        else if (!positive)
            preferred = 1;
    }
    // A start at a limit can only be reached from inside the range.
    auto room = [&](int side) { return side > 0 ? start > minLimit : start < maxLimit; };
    if (room(preferred)) return preferred;
    if (room(-preferred)) return -preferred;
    return 0;
}

bool RunCanBeTied(const std::vector<CompPoint>& old, bool compensationInForce, int approach,
                  int direction) {
    return approach == direction || compensationInForce ||
           ColumnHoldsMeasurement(old, approach > 0);
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
        const double base = run.compensationInForce ? ActualAt(old, positive, entry.nominal)
                                                    : entry.nominal;
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
