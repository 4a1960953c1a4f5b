// The plan file: what is written reads back the same, and what a hand
// could spoil is refused with its reason.

#include "plan_file.h"

#include <gtest/gtest.h>

namespace pitchwise {

namespace {

CapturePlan Sample() {
    CapturePlan plan;
    plan.axis = 'Y';
    plan.dialect = Dialect::SIEMENS;
    plan.unit = LengthUnit::INCH;
    plan.targets = {0, 0.4871, 1.0123, 1.5};
    plan.runs = 3;
    plan.feed = 40;
    plan.dwell = 4.5;
    plan.overrun = 0.2;
    plan.window = 0.04;
    plan.lostMotion = 0.0004;  // shorter in exponent form than in fixed
    plan.seed = 4000000000u;
    plan.countsPerUnit = 254883.3602;
    return plan;
}

TEST(PlanFile, ReadsBackWhatItWrote) {
    const CapturePlan plan = Sample();
    CapturePlan read;
    ASSERT_TRUE(ParsePlan(FormatPlan(plan, "y.mpf"), read));
    EXPECT_EQ(read.axis, plan.axis);
    EXPECT_EQ(read.dialect, plan.dialect);
    EXPECT_EQ(read.unit, plan.unit);
    EXPECT_EQ(read.targets, plan.targets);
    EXPECT_EQ(read.runs, plan.runs);
    EXPECT_EQ(read.feed, plan.feed);
    EXPECT_EQ(read.dwell, plan.dwell);
    EXPECT_EQ(read.overrun, plan.overrun);
    EXPECT_EQ(read.window, plan.window);
    EXPECT_EQ(read.lostMotion, plan.lostMotion);
    EXPECT_EQ(read.seed, plan.seed);
    EXPECT_EQ(read.countsPerUnit, plan.countsPerUnit);
}

TEST(PlanFile, SaysMachineCoordinates) {
    const std::string text = FormatPlan(Sample(), "y.mpf");
    EXPECT_NE(text.find("\ncoordinates machine\n"), std::string::npos);
    EXPECT_NE(text.find("\ncounts_per_unit 254883.3602\n"), std::string::npos);
}

struct SpoiltRow {
    const char* name;
    const char* from;  // a line of the written plan ...
    const char* to;    // ... replaced by this
    CaptureCode code;
    double line;          // 0: none
    const char* subject;  // the key or the line
};

const SpoiltRow kSpoilt[] = {
    {"NotAPlan", "pitchwise-capture plan 2", "pitchwise plan", CaptureCode::PLAN_NOT_A_PLAN, 1, ""},
    // Its targets were work coordinates, its scale one for every unit.
    {"EarlierFormat", "pitchwise-capture plan 2", "pitchwise-capture plan 1",
     CaptureCode::PLAN_OLD_FORMAT, 1, ""},
    {"LaterFormat", "pitchwise-capture plan 2", "pitchwise-capture plan 3",
     CaptureCode::PLAN_NOT_A_PLAN, 1, ""},
    {"UnknownKey", "runs 3", "rums 3", CaptureCode::PLAN_UNKNOWN_KEY, 10, "rums"},
    {"Twice", "runs 3", "runs 3\nruns 4", CaptureCode::PLAN_KEY_TWICE, 11, "runs"},
    {"Missing", "runs 3\n", "", CaptureCode::PLAN_KEY_MISSING, 0, "runs"},
    {"NoScale", "counts_per_unit 254883.3602\n", "", CaptureCode::PLAN_KEY_MISSING, 0,
     "counts_per_unit"},
    {"NoKeyValue", "runs 3", "runs", CaptureCode::PLAN_NOT_KEY_VALUE, 10, ""},
    {"TargetNotANumber", "target 1.5", "target 1,5", CaptureCode::PLAN_BAD_VALUE, 21, "target 1,5"},
    {"TargetWithExponent", "target 1.5", "target 15e-1", CaptureCode::PLAN_BAD_VALUE, 21,
     "target 15e-1"},
    {"RunsNotWhole", "runs 3", "runs 3.5", CaptureCode::PLAN_BAD_VALUE, 10, "runs 3.5"},
    {"WorkCoordinates", "coordinates machine", "coordinates work", CaptureCode::PLAN_BAD_VALUE, 7,
     "coordinates work"},
    {"ScaleNotANumber", "counts_per_unit 254883.3602", "counts_per_unit many",
     CaptureCode::PLAN_BAD_VALUE, 8, "counts_per_unit many"},
    {"ScaleZero", "counts_per_unit 254883.3602", "counts_per_unit 0", CaptureCode::SCALE, 0, ""},
    {"OtherDirections", "directions up down", "directions down up", CaptureCode::PLAN_BAD_VALUE, 11,
     "directions down up"},
    {"UnknownDialect", "dialect siemens", "dialect heidenhain", CaptureCode::PLAN_BAD_VALUE, 9,
     "dialect heidenhain"},
    {"OneTargetLeft", "target 0.4871\ntarget 1.0123\ntarget 1.5\n", "",
     CaptureCode::TOO_FEW_TARGETS, 0, ""},
    {"TargetsOutOfOrder", "target 1.0123", "target 0.4", CaptureCode::TARGETS_NOT_RISING, 0, ""},
    {"DwellShortened", "dwell 4.5", "dwell 2", CaptureCode::DWELL_TOO_SHORT, 0, ""},
    {"WindowWidened", "window 0.04", "window 0.3", CaptureCode::WINDOW_TOO_WIDE, 0, ""},
};

class SpoiltPlan : public ::testing::TestWithParam<SpoiltRow> {};

void PrintTo(const SpoiltRow& row, std::ostream* out) {
    *out << row.name;
}

TEST_P(SpoiltPlan, Refused) {
    std::string text = FormatPlan(Sample(), "y.mpf");
    const std::size_t at = text.find(GetParam().from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, std::string(GetParam().from).size(), GetParam().to);
    CapturePlan plan;
    const CaptureStatus status = ParsePlan(text, plan);
    EXPECT_EQ(CaptureCodeName(status.code()), std::string(CaptureCodeName(GetParam().code)));
    if (GetParam().line > 0) {
        EXPECT_EQ(status.number(0), GetParam().line);
    }
    EXPECT_EQ(status.subject(), GetParam().subject);
}

INSTANTIATE_TEST_SUITE_P(Rows, SpoiltPlan, ::testing::ValuesIn(kSpoilt),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace

}  // namespace pitchwise
