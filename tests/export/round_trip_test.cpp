// Round trip through each controller's rule: the bench's axis (its injected
// pitch error and lost motion) measured into a run log, the table exported,
// read back and applied the way that controller applies it. What remains
// at every target inside the table's range must be within one QSB count
// (the formats' rounding included) of one common offset: the reference's
// own error, which no table can know.
#include <gtest/gtest.h>

#include <cmath>

#include "axis_model.h"
#include "controller_models.h"
#include "export_table.h"
#include "run_tie.h"

namespace pitchwise {

namespace {

constexpr double kCount = 1.0 / BENCH_COUNTS_PER_UNIT;

CAxisModel BenchAxis() {
    PitchErrorProfile profile;  // 0.0002 per unit and 0.003 peak over a pitch of 5
    profile.backlash = 0.002;   // about 20 counts
    return CAxisModel(profile, 50, 0);
}

int Sign(Direction d) {
    return d == Direction::UP ? 1 : -1;
}

// Two cycles of 0..10 by 0.5, up then down, as the bench would measure them
// without noise: every run starts where the last one ended.
std::vector<LoggedRun> MeasuredLog(const CAxisModel& axis) {
    std::vector<LoggedRun> log;
    const double reference = axis.ErrorAt(0, 1);
    Direction previous = Direction::UP;
    for (int number = 1; number <= 4; ++number) {
        LoggedRun run;
        run.run = number;
        run.measurement = 1;
        run.direction = number % 2 == 1 ? Direction::UP : Direction::DOWN;
        for (int i = 0; i <= 20; ++i) {
            double target = run.direction == Direction::UP ? i * 0.5 : 10 - i * 0.5;
            Direction approach = i == 0 ? previous : run.direction;
            double deviation = axis.ErrorAt(target, Sign(approach)) - reference;
            run.points.push_back({i, "2026-12-09T07:00:00Z", target, 0, approach, deviation});
        }
        previous = run.direction;
        log.push_back(run);
    }
    // Through the log's own text, so its rounding is in the trip too.
    std::string text = std::string(RUN_LOG_HEADER) + "\n";
    for (const LoggedRun& run : log) text += FormatRun(run);
    RunLogReading reading;
    std::string error;
    EXPECT_TRUE(ParseRunLog(text, reading, error)) << error;
    return reading.runs;
}

struct Trip {
    const char* name;
    std::vector<std::string> args;
    double mmPerUnit;
    std::optional<double> zeroAt;
    bool upOnly = false;    // runs moving up only: a one-column table, checked moving up
    double mmPerBasic = 1;  // siemens-lec: the control's basic system
    LengthUnit logged = LengthUnit::UNKNOWN;  // the unit the log records
};

void PrintTo(const Trip& trip, std::ostream* out) {
    *out << trip.name;
}

bool ModelOf(const Trip& trip, const std::string& text, ControllerRule& rule, std::string& why) {
    const std::string format = trip.args[4];
    if (format == "linuxcnc") return LinuxCncRule(text, false, rule, why);
    if (format == "linuxcnc-offsets") return LinuxCncRule(text, true, rule, why);
    if (format == "siemens-lec")
        return SiemensLecRule(text, trip.mmPerUnit, trip.mmPerBasic, rule, why);
    return IsgRule(text, trip.mmPerUnit, rule, why);
}

class RoundTrip : public ::testing::TestWithParam<Trip> {};

TEST_P(RoundTrip, WhatRemainsIsWithinOneCount) {
    const Trip& trip = GetParam();
    const CAxisModel axis = BenchAxis();
    ExportOptions options;
    std::string error;
    ASSERT_TRUE(ParseExportOptions(trip.args, options, error)) << error;
    ExportResult result;
    std::vector<LoggedRun> log = MeasuredLog(axis);
    for (LoggedRun& run : log) run.unit = trip.logged;
    if (trip.upOnly) log = {log[0], log[2]};
    const ExportStatus status = ExportTable(log, options, result);
    ASSERT_TRUE(status.ok()) << ExportCodeName(status.code());
    ControllerRule rule;
    ASSERT_TRUE(ModelOf(trip, result.text, rule, error)) << error << "\n" << result.text;

    // The common offset: the reference's error, or the mean of both
    // directions' errors where the table was made 0.
    const double offset = trip.zeroAt
                              ? (axis.ErrorAt(*trip.zeroAt, 1) + axis.ErrorAt(*trip.zeroAt, -1)) / 2
                              : axis.ErrorAt(0, 1);
    double worst = 0;
    int checked = 0;
    // 0 was measured moving down only, 10 moving up only.
    const int last = trip.upOnly ? 20 : 19;
    for (int i = 1; i <= last; ++i) {
        const double target = i * 0.5;
        for (Direction d : {Direction::UP, Direction::DOWN}) {
            if (trip.upOnly && d == Direction::DOWN) continue;
            const double motor = target + rule(target, d);
            const double real = motor + axis.ErrorAt(motor, Sign(d));
            worst = std::max(worst, std::fabs(real - target - offset));
            ++checked;
        }
    }
    EXPECT_EQ(checked, trip.upOnly ? 20 : 38);
    EXPECT_LE(worst, kCount) << trip.name << ": " << worst / kCount << " counts\n" << result.text;
    std::printf("round trip %-28s worst %.3f counts\n", trip.name, worst / kCount);
}

const std::vector<std::string> kLog = {"runs.csv", "--axis", "X", "--to"};

std::vector<std::string> Args(std::vector<std::string> rest) {
    std::vector<std::string> args = kLog;
    args.insert(args.end(), rest.begin(), rest.end());
    return args;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RoundTrip,
    ::testing::Values(
        Trip{"linuxcnc", Args({"linuxcnc"}), 1, {}},
        Trip{"linuxcnc_by_quarter", Args({"linuxcnc", "--spacing", "0.25"}), 1, {}},
        Trip{"linuxcnc_offsets", Args({"linuxcnc-offsets"}), 1, {}},
        Trip{"linuxcnc_offsets_zero_at_5", Args({"linuxcnc-offsets", "--zero-at", "5"}), 1, 5.0},
        Trip{
            "siemens_mm", Args({"siemens-lec", "--unit", "mm", "--basic-system", "metric"}), 1, {}},
        Trip{"siemens_inch_zero_at_2",
             Args({"siemens-lec", "--unit", "inch", "--zero-at", "2", "--basic-system", "metric"}),
             25.4, 2.0},
        Trip{"siemens_inch_basic_inch_log",
             Args({"siemens-lec", "--zero-at", "2", "--basic-system", "inch"}), 25.4, 2.0, false,
             25.4, LengthUnit::INCH},
        Trip{"isg_mm", Args({"isg", "--unit", "mm"}), 1, {}},
        Trip{"isg_inch", Args({"isg", "--unit", "inch", "--max-correction", "0.01"}), 25.4, {}},
        Trip{"isg_up_only", Args({"isg", "--unit", "mm"}), 1, {}, true},
        Trip{"siemens_up_only",
             Args({"siemens-lec", "--unit", "mm", "--basic-system", "metric"}),
             1,
             {},
             true}),
    [](const ::testing::TestParamInfo<Trip>& trip) { return std::string(trip.param.name); });

}  // namespace

}  // namespace pitchwise
