// The bench's verdict: the mapping table each run sent, against the pitch
// error the bench injected.
#pragma once

#include <string>
#include <vector>

#include "bench_controller.h"

namespace pitchwise {

// One count of the QSB plus the rounding to four decimals, with room for
// single-precision arithmetic on the way.
constexpr double BENCH_DEFAULT_TOLERANCE = 0.00016;

struct BenchVerdict {
    bool agree = false;
    double largestDeviation = 0;  // |received - expected| over all entries
    std::string reason;           // why not, when not
};

BenchVerdict JudgeRun(const BenchRun& run, double tolerance);
// Agrees only when there was a run and every run agrees.
BenchVerdict JudgeRuns(const std::vector<BenchRun>& runs, double tolerance);

std::string BenchReportText(const std::vector<BenchRun>& runs, double tolerance);
// One row per entry: run,point,commanded_travel,axis_error,expected,received,deviation,ok
std::string BenchReportCsv(const std::vector<BenchRun>& runs, double tolerance);

}  // namespace pitchwise
