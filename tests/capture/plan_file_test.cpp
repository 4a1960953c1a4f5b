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
    return plan;
}

TEST(PlanFile, ReadsBackWhatItWrote) {
    const CapturePlan plan = Sample();
    CapturePlan read;
    std::string error;
    ASSERT_TRUE(ParsePlan(FormatPlan(plan, "y.mpf"), read, error)) << error;
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
}

struct SpoiltRow {
    const char* name;
    const char* from;  // a line of the written plan ...
    const char* to;    // ... replaced by this
    const char* error;
};

const SpoiltRow kSpoilt[] = {
    {"NotAPlan", "pitchwise-capture plan 1", "pitchwise plan",
     "line 1: not a pitchwise-capture plan"},
    {"UnknownKey", "runs 3", "rums 3", "line 7: unknown key rums"},
    {"Twice", "runs 3", "runs 3\nruns 4", "line 8: runs given twice"},
    {"Missing", "runs 3\n", "", "no runs line"},
    {"TargetNotANumber", "target 1.5", "target 1,5", "line 18: target is not a decimal number"},
    {"RunsNotWhole", "runs 3", "runs 3.5", "runs cannot be 3.5"},
    {"OtherDirections", "directions up down", "directions down up", "directions cannot be down up"},
    {"UnknownDialect", "dialect siemens", "dialect heidenhain", "dialect cannot be heidenhain"},
    {"OneTargetLeft", "target 0.4871\ntarget 1.0123\ntarget 1.5\n", "",
     "a cycle needs at least two targets"},
    {"TargetsOutOfOrder", "target 1.0123", "target 0.4",
     "the targets must rise one after the other"},
    {"DwellShortened", "dwell 4.5", "dwell 2",
     "a dwell under 3 s is too short for two readings at standstill"},
    {"WindowWidened", "window 0.04", "window 0.3",
     "the window 0.3 is wider than half the smallest spacing 0.4871"},
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
    std::string error;
    EXPECT_FALSE(ParsePlan(text, plan, error));
    EXPECT_EQ(error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Rows, SpoiltPlan, ::testing::ValuesIn(kSpoilt),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace

}  // namespace pitchwise
