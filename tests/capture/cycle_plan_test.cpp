// The cycle's plan: what is refused and why, where the targets fall, and the
// path the program follows with its dwells.

#include "cycle_plan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "capture_words.h"

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
    PlanCode code;
    const char* words;  // as pitchwise-capture says it
};

const RefusalRow kRefusals[] = {
    {"Defaults", [](PlanRequest&) {}, PlanCode::OK, ""},
    {"OneTarget", [](PlanRequest& r) { r.spacing = 0, r.targets = 1; }, PlanCode::TARGET_COUNT,
     "a cycle needs from 2 to 10000 targets"},
    {"TwoTargets", [](PlanRequest& r) { r.spacing = 0, r.targets = 2; }, PlanCode::OK, ""},
    {"NeitherCountNorSpacing", [](PlanRequest& r) { r.spacing = 0; }, PlanCode::TARGETS_OR_SPACING,
     "give either --targets or --spacing"},
    {"SpacingNotWhole", [](PlanRequest& r) { r.spacing = 15; }, PlanCode::SPACING_NOT_WHOLE,
     "the travel 40 is not a whole number of spacings 15"},
    {"Backwards", [](PlanRequest& r) { r.to = -40; }, PlanCode::RANGE_BACKWARDS,
     "--to must lie above --from"},
    {"DwellJustEnough", [](PlanRequest& r) { r.dwell = 3; }, PlanCode::OK, ""},
    {"DwellTooShort", [](PlanRequest& r) { r.dwell = 2.9; }, PlanCode::DWELL_TOO_SHORT,
     "a dwell under 3 s is too short for two readings at standstill"},
    {"WindowHalfTheSpacing", [](PlanRequest& r) { r.window = 5, r.overrun = 6; }, PlanCode::OK, ""},
    {"WindowWiderThanHalfTheSpacing", [](PlanRequest& r) { r.window = 5.01, r.overrun = 6; },
     PlanCode::WINDOW_TOO_WIDE, "the window 5.01 is wider than half the smallest spacing 10"},
    {"OverrunJustLarger", [](PlanRequest& r) { r.overrun = 1.11; }, PlanCode::OK, ""},
    {"OverrunNotLarger", [](PlanRequest& r) { r.overrun = 1.1; }, PlanCode::OVERRUN_TOO_SMALL,
     "the overrun 1.1 must be larger than the window plus the lost motion (1.1)"},
    {"InchDefaults", [](PlanRequest& r) { r.unit = LengthUnit::INCH, r.to = 2, r.spacing = 0.5; },
     PlanCode::OK, ""},
    {"NoRuns", [](PlanRequest& r) { r.runs = 0; }, PlanCode::RUNS, "--runs must lie from 1 to 100"},
    {"NoFeed", [](PlanRequest& r) { r.feed = 0; }, PlanCode::FEED, "the feed must be above 0"},
};

class PlanRefusal : public ::testing::TestWithParam<RefusalRow> {};

void PrintTo(const RefusalRow& row, std::ostream* out) {
    *out << row.name;
}

TEST_P(PlanRefusal, Reason) {
    PlanRequest request = Request();
    GetParam().change(request);
    CapturePlan plan;
    const PlanStatus status = MakePlan(request, plan);
    EXPECT_EQ(status.code(), GetParam().code) << PlanCodeName(status.code());
    EXPECT_EQ(PlanRefusalText(status), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(Rows, PlanRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Plan, TargetsBySpacingOrCount) {
    CapturePlan bySpacing, byCount;
    PlanRequest r = Request();
    ASSERT_TRUE(MakePlan(r, bySpacing).ok());
    r.spacing = 0;
    r.targets = 5;
    ASSERT_TRUE(MakePlan(r, byCount).ok());
    EXPECT_EQ(bySpacing.targets, (std::vector<double>{0, 10, 20, 30, 40}));
    EXPECT_EQ(byCount.targets, bySpacing.targets);
    EXPECT_FALSE(byCount.seed);
}

TEST(Plan, RandomOffsetsMoveTheInnerTargetsOnly) {
    PlanRequest r = Request();
    r.randomOffsets = true;
    r.seed = 7;
    CapturePlan plan, again;
    ASSERT_TRUE(MakePlan(r, plan).ok());
    ASSERT_TRUE(MakePlan(r, again).ok());
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
