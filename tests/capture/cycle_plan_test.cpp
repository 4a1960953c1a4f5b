// The cycle's plan: what is refused and why, where the targets fall, and the
// path the program follows with its dwells.

#include "cycle_plan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "qsb.h"

namespace pitchwise {

namespace {

PlanRequest Request() {
    PlanRequest r;
    r.from = 0;
    r.to = 40;
    r.spacing = 10;
    r.runs = 2;
    r.dwell = 3;
    return r;
}

struct RefusalRow {
    const char* name;
    std::function<void(PlanRequest&)> change;
    CaptureCode code;
    std::vector<double> numbers;  // what the refusal is worded with
};

const RefusalRow kRefusals[] = {
    {"Defaults", [](PlanRequest&) {}, CaptureCode::OK, {}},
    {"OneTarget",
     [](PlanRequest& r) { r.spacing = 0, r.targets = 1; },
     CaptureCode::TARGET_COUNT,
     {2, 10000}},
    {"TwoTargets", [](PlanRequest& r) { r.spacing = 0, r.targets = 2; }, CaptureCode::OK, {}},
    {"NeitherCountNorSpacing",
     [](PlanRequest& r) { r.spacing = 0; },
     CaptureCode::COUNT_OR_SPACING,
     {}},
    {"SpacingNotWhole",
     [](PlanRequest& r) { r.spacing = 15; },
     CaptureCode::SPACING_NOT_WHOLE,
     {40, 15}},
    {"Backwards", [](PlanRequest& r) { r.to = -40; }, CaptureCode::RANGE_BACKWARDS, {}},
    {"DwellJustEnough", [](PlanRequest& r) { r.dwell = 3; }, CaptureCode::OK, {}},
    {"DwellTooShort", [](PlanRequest& r) { r.dwell = 2.9; }, CaptureCode::DWELL_TOO_SHORT, {3}},
    {"WindowHalfTheSpacing",
     [](PlanRequest& r) { r.window = 5, r.overrun = 6; },
     CaptureCode::OK,
     {}},
    {"WindowWiderThanHalfTheSpacing",
     [](PlanRequest& r) { r.window = 5.01, r.overrun = 6; },
     CaptureCode::WINDOW_TOO_WIDE,
     {5.01, 10}},
    {"OverrunJustLarger", [](PlanRequest& r) { r.overrun = 1.11; }, CaptureCode::OK, {}},
    {"OverrunNotLarger",
     [](PlanRequest& r) { r.overrun = 1.1; },
     CaptureCode::OVERRUN_TOO_SMALL,
     {1.1, 1.1}},
    {"InchDefaults",
     [](PlanRequest& r) { r.unit = LengthUnit::INCH, r.to = 2, r.spacing = 0.5; },
     CaptureCode::OK,
     {}},
    {"NoRuns", [](PlanRequest& r) { r.runs = 0; }, CaptureCode::RUNS_RANGE, {1, 100}},
    {"NoFeed", [](PlanRequest& r) { r.feed = 0; }, CaptureCode::FEED, {}},
    {"NoWindow", [](PlanRequest& r) { r.window = 0; }, CaptureCode::WINDOW, {}},
    {"NegativeLostMotion",
     [](PlanRequest& r) { r.lostMotion = -0.1; },
     CaptureCode::LOST_MOTION,
     {}},
    {"NoScale", [](PlanRequest& r) { r.countsPerUnit = 0; }, CaptureCode::SCALE, {}},
    {"ScaleNotANumber",
     [](PlanRequest& r) { r.countsPerUnit = std::nan(""); },
     CaptureCode::SCALE,
     {}},
    {"AxisA", [](PlanRequest& r) { r.axis = 'A'; }, CaptureCode::AXIS, {}},
};

class PlanRefusal : public ::testing::TestWithParam<RefusalRow> {};

void PrintTo(const RefusalRow& row, std::ostream* out) {
    *out << row.name;
}

TEST_P(PlanRefusal, Code) {
    PlanRequest request = Request();
    GetParam().change(request);
    CapturePlan plan;
    const CaptureStatus status = MakePlan(request, plan);
    EXPECT_EQ(CaptureCodeName(status.code()), std::string(CaptureCodeName(GetParam().code)));
    EXPECT_EQ(status.numbers(), GetParam().numbers);
}

INSTANTIATE_TEST_SUITE_P(Rows, PlanRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Plan, TheScaleIsTheDialogsUnlessGiven) {
    // The dialog's constant as written, not its float's nearest value.
    EXPECT_EQ(static_cast<float>(DEFAULT_COUNTS_PER_UNIT), QSB_COUNTS_PER_UNIT);
    PlanRequest r = Request();
    CapturePlan plan;
    ASSERT_TRUE(MakePlan(r, plan));
    EXPECT_EQ(plan.countsPerUnit, 10034.463);
    r.unit = LengthUnit::INCH, r.to = 2, r.spacing = 0.5, r.countsPerUnit = 254883.36;
    ASSERT_TRUE(MakePlan(r, plan));
    EXPECT_EQ(plan.countsPerUnit, 254883.36);
}

TEST(Plan, TargetsBySpacingOrCount) {
    CapturePlan bySpacing, byCount;
    PlanRequest r = Request();
    ASSERT_TRUE(MakePlan(r, bySpacing));
    r.spacing = 0;
    r.targets = 5;
    ASSERT_TRUE(MakePlan(r, byCount));
    EXPECT_EQ(bySpacing.targets, (std::vector<double>{0, 10, 20, 30, 40}));
    EXPECT_EQ(byCount.targets, bySpacing.targets);
    EXPECT_FALSE(byCount.seed);
}

TEST(Plan, RandomOffsetsMoveTheInnerTargetsOnly) {
    PlanRequest r = Request();
    r.randomOffsets = true;
    r.seed = 7;
    CapturePlan plan, again;
    ASSERT_TRUE(MakePlan(r, plan));
    ASSERT_TRUE(MakePlan(r, again));
    EXPECT_EQ(plan.targets, again.targets);  // the seed decides them
    ASSERT_EQ(plan.targets.size(), 5u);
    EXPECT_EQ(plan.targets.front(), 0);
    EXPECT_EQ(plan.targets.back(), 40);
    int moved = 0;
    for (std::size_t i = 1; i + 1 < plan.targets.size(); ++i) {
        const double offset = plan.targets[i] - 10.0 * static_cast<double>(i);
        EXPECT_LE(std::abs(offset), 2.5) << i;
        EXPECT_EQ(plan.targets[i], std::round(plan.targets[i] * 1000) / 1000);
        moved += offset != 0;
    }
    EXPECT_EQ(moved, 3);
    EXPECT_EQ(plan.seed, 7u);
}

TEST(Plan, PathDwellsAtEveryStopAndTurn) {
    CapturePlan plan;
    plan.targets = {0, 10};
    plan.runs = 1;
    plan.dwell = 4;
    plan.overrun = 5;
    plan.feed = 600;  // 10 per second
    std::vector<CycleWaypoint> path = CycleWaypoints(plan);
    std::string described;
    for (const CycleWaypoint& p : path) {
        described += std::to_string(static_cast<int>(p.position)) + "/" +
                     std::to_string(static_cast<int>(p.dwellSeconds)) +
                     (p.stop ? "#" + std::to_string(*p.stop) : std::string()) + " ";
    }
    // The start below, 0 and 10 up (the first dwells longer for the zero),
    // the turn above, 10 and 0 down, the turn below.
    EXPECT_EQ(described, "-5/4 0/7#0 10/4#1 15/4 10/4#2 0/4#3 -5/4 ");
    EXPECT_EQ(StopWaypoints(path), (std::vector<std::size_t>{1, 2, 4, 5}));
    // From the end of the dwell at 10 up, over the turn, to the end of the
    // dwell at 10 down: 0.5 + 4 + 0.5 + 4 seconds.
    EXPECT_DOUBLE_EQ(CycleSeconds(plan, path, 2, 4), 9.0);
    EXPECT_DOUBLE_EQ(CycleSeconds(plan, path, std::nullopt, 0), 4.0);
    std::vector<CycleStop> stops = CycleStops(plan);
    ASSERT_EQ(stops.size(), 4u);
    EXPECT_EQ(stops[2].direction, Direction::DOWN);
    EXPECT_EQ(stops[2].target, 1u);
}

}  // namespace

}  // namespace pitchwise
