// The cycle's plan: what is refused and why, where the targets fall, and the
// path the program follows with its dwells.

#include "cycle_plan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

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
    const char* error;  // empty: accepted
};

const RefusalRow kRefusals[] = {
    {"Defaults", [](PlanRequest&) {}, ""},
    {"OneTarget", [](PlanRequest& r) { r.spacing = 0, r.targets = 1; },
     "a cycle needs from 2 to 10000 targets"},
    {"TwoTargets", [](PlanRequest& r) { r.spacing = 0, r.targets = 2; }, ""},
    {"NeitherCountNorSpacing", [](PlanRequest& r) { r.spacing = 0; },
     "give either --targets or --spacing"},
    {"SpacingNotWhole", [](PlanRequest& r) { r.spacing = 15; },
     "the travel 40 is not a whole number of spacings 15"},
    {"Backwards", [](PlanRequest& r) { r.to = -40; }, "--to must lie above --from"},
    {"DwellJustEnough", [](PlanRequest& r) { r.dwell = 3; }, ""},
    {"DwellTooShort", [](PlanRequest& r) { r.dwell = 2.9; },
     "a dwell under 3 s is too short for two readings at standstill"},
    {"WindowHalfTheSpacing", [](PlanRequest& r) { r.window = 5, r.overrun = 6; }, ""},
    {"WindowWiderThanHalfTheSpacing", [](PlanRequest& r) { r.window = 5.01, r.overrun = 6; },
     "the window 5.01 is wider than half the smallest spacing 10"},
    {"OverrunJustLarger", [](PlanRequest& r) { r.overrun = 1.11; }, ""},
    {"OverrunNotLarger", [](PlanRequest& r) { r.overrun = 1.1; },
     "the overrun 1.1 must be larger than the window plus the lost motion (1.1)"},
    {"InchDefaults", [](PlanRequest& r) { r.unit = LengthUnit::INCH, r.to = 2, r.spacing = 0.5; },
     ""},
    {"NoRuns", [](PlanRequest& r) { r.runs = 0; }, "--runs must lie from 1 to 100"},
    {"NoFeed", [](PlanRequest& r) { r.feed = 0; }, "the feed must be above 0"},
};

class PlanRefusal : public ::testing::TestWithParam<RefusalRow> {};

void PrintTo(const RefusalRow& row, std::ostream* out) {
    *out << row.name;
}

TEST_P(PlanRefusal, Reason) {
    PlanRequest request = Request();
    GetParam().change(request);
    CapturePlan plan;
    std::string error;
    EXPECT_EQ(MakePlan(request, plan, error), std::string(GetParam().error).empty());
    EXPECT_EQ(error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Rows, PlanRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Plan, TargetsBySpacingOrCount) {
    CapturePlan bySpacing, byCount;
    std::string error;
    PlanRequest r = Request();
    ASSERT_TRUE(MakePlan(r, bySpacing, error)) << error;
    r.spacing = 0;
    r.targets = 5;
    ASSERT_TRUE(MakePlan(r, byCount, error)) << error;
    EXPECT_EQ(bySpacing.targets, (std::vector<double>{0, 10, 20, 30, 40}));
    EXPECT_EQ(byCount.targets, bySpacing.targets);
    EXPECT_FALSE(byCount.seed);
}

TEST(Plan, RandomOffsetsMoveTheInnerTargetsOnly) {
    PlanRequest r = Request();
    r.randomOffsets = true;
    r.seed = 7;
    CapturePlan plan, again;
    std::string error;
    ASSERT_TRUE(MakePlan(r, plan, error)) << error;
    ASSERT_TRUE(MakePlan(r, again, error)) << error;
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
