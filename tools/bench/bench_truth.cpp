#include "bench_truth.h"

#include <cmath>
#include <cstdio>

#include "run_tie.h"

namespace pitchwise {

namespace {

int Sign(Direction direction) {
    return direction == Direction::UP ? 1 : -1;
}

std::string Line(const char* name, const Figure& value) {
    char text[160];
    if (!value) {
        std::snprintf(text, sizeof text, "truth %-3s not available\n", name);
    } else {
        std::snprintf(text, sizeof text, "truth %-3s %10.6f  (%8.1f counts)\n", name, *value,
                      *value * BENCH_COUNTS_PER_UNIT);
    }
    return text;
}

}  // namespace

AxisFigures BenchTruthFigures(const PitchErrorProfile& profile,
                              const std::vector<LoggedRun>& runs) {
    if (runs.empty()) return ComputeAxisFigures({});
    std::vector<LoggedRun> measurement =
        LatestMeasurement(runs, runs.back().axis, runs.back().tableInForce);
    // Where the reference, the first run's start, really lay.
    const LoggedPoint& origin = measurement.front().points.front();
    CAxisModel model(profile, 1.0, 0.0);
    const double reference = model.ErrorAt(origin.target, Sign(origin.approach));
    for (LoggedRun& run : measurement) {
        for (LoggedPoint& p : run.points)
            p.deviation = model.ErrorAt(p.target, Sign(p.approach)) - reference;
    }
    return ComputeAxisFigures(CollectDeviations(measurement));
}

double ExpectedUnidirectionalRepeatability(const PitchErrorProfile& profile) {
    // A reading is also rounded to whole counts, which adds 1/12 count² of
    // variance on top of the noise; a deviation is two readings apart (the
    // point's and its run's zero), and the correction it travels in is
    // rounded to four decimals, another 1/12 of 0.0001².
    const double count = 1.0 / BENCH_COUNTS_PER_UNIT;
    const double reading = profile.noise * profile.noise + count * count / 12;
    const double decimal = 0.0001;
    return 4 * std::sqrt(2 * reading + decimal * decimal / 12);
}

std::string BenchTruthText(const PitchErrorProfile& profile, const std::vector<LoggedRun>& runs) {
    AxisFigures truth = BenchTruthFigures(profile, runs);
    std::string text = "truth: the figures a perfect measurement of these targets would give\n";
    text += Line("E", truth.systematic) + Line("E+", truth.systematicUp) +
            Line("E-", truth.systematicDown) + Line("M", truth.meanDeviation) +
            Line("B", truth.reversal) + Line("B~", truth.meanReversal);
    const double r = ExpectedUnidirectionalRepeatability(profile);
    text += Line("R+", r) + Line("R-", r);
    if (truth.reversal) text += Line("R", r + *truth.reversal);
    return text;
}

}  // namespace pitchwise
