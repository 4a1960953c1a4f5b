// The measurement a table is made from: one axis's mapping runs on one
// reference (never verification runs, measured through a table), and the
// per-direction means at their targets.
#pragma once

#include <string>
#include <vector>

#include "export_status.h"
#include "positioning_figures.h"
#include "run_log.h"

namespace pitchwise {

struct MeasuredPoint {
    double target = 0;
    Figure meanUp;  // actual - target, reached moving positive
    Figure meanDown;
    Figure sUp;
    Figure sDown;
};

struct MeasuredAxis {
    char axis = 'X';
    int measurement = 0;
    int firstRun = 0;
    int lastRun = 0;
    std::size_t runsUp = 0;
    std::size_t runsDown = 0;
    LengthUnit unit = LengthUnit::UNKNOWN;  // its runs', as logged
    double reference = 0;                   // the first run's start: deviation 0 there
    Figure meanReversal;                    // B̄ = mean of x̄↑ - x̄↓
    std::vector<MeasuredPoint> points;      // ascending by target
};

// `measurement` 0 takes the latest. Refused when the log holds no such
// measurement of the axis, or one whose runs differ in their unit.
ExportStatus SelectMeasurement(const std::vector<LoggedRun>& log, char axis, int measurement,
                               MeasuredAxis& measured);

}  // namespace pitchwise
