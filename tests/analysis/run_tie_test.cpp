// Runs on one reference: which earlier point a run is tied to, and, on an
// axis with lost motion worked out by hand, that the tie shows exactly the
// reversal there is: none invented, none hidden.

#include "run_tie.h"

#include <gtest/gtest.h>

#include <cmath>

namespace pitchwise {

namespace {

constexpr Direction UP = Direction::UP;
constexpr Direction DOWN = Direction::DOWN;

LoggedPoint Point(int index, double target, double correction, Direction approach,
                  double deviation = 0) {
    return LoggedPoint{index, "2026-12-09T07:00:00Z", target, correction, approach, deviation};
}

LoggedRun MakeRun(int number, Direction direction, std::vector<LoggedPoint> points) {
    LoggedRun run;
    run.run = number;
    run.direction = direction;
    run.points = std::move(points);
    return run;
}

TEST(RunTie, TheFirstRunIsTheReference) {
    LoggedRun run = MakeRun(1, UP, {Point(0, 0, 0, UP), Point(1, 1, 0.002, UP)});
    std::string error;
    ASSERT_TRUE(TieRun({}, run, error)) << error;
    EXPECT_DOUBLE_EQ(run.points[0].deviation, 0);
    EXPECT_DOUBLE_EQ(run.points[1].deviation, -0.002);
}

struct TieCase {
    const char* name;
    LoggedRun run;
    bool tied;
    double startDeviation;  // when tied
};

// Earlier: an upward run 0 -> 2, a downward run that went back to 0
// (reached moving down, deviation -0.003 there), and an upward run again.
const std::vector<LoggedRun> kEarlier = {
    MakeRun(1, UP, {Point(0, 0, 0, UP, 0.0), Point(1, 1, 0, UP, 0.002), Point(2, 2, 0, UP, 0.005)}),
    MakeRun(2, DOWN,
            {Point(0, 2, 0, UP, 0.005), Point(1, 1, 0, DOWN, 0.001), Point(2, 0, 0, DOWN, -0.003)}),
    MakeRun(3, UP,
            {Point(0, 0, 0, DOWN, -0.003), Point(1, 1, 0, UP, 0.004), Point(2, 2, 0, UP, 0.006)}),
};

const TieCase kTies[] = {
    // Waited where run 3 ended: its start lies where runs 1 and 3 ended
    // moving up, (0.005 + 0.006) / 2; run 2's point 0 there only repeats its
    // own tie and is left out.
    {"StartWhereThePreviousEnded", MakeRun(4, DOWN, {Point(0, 2, 0, UP), Point(1, 1, 0.001, DOWN)}),
     true, 0.0055},
    // At 0 reached moving down: only run 2 ended there that way.
    {"StartWhereAnEarlierRunEnded", MakeRun(4, UP, {Point(0, 0, 0, DOWN), Point(1, 1, 0.001, UP)}),
     true, -0.003},
    // At 0 reached moving up: no point measured it so, but the reference's
    // own start is there in that state.
    {"StartReachedAnotherWay", MakeRun(4, UP, {Point(0, 0, 0, UP), Point(1, 1, 0.001, UP)}), true,
     0.0},
    // At 1 reached moving down: run 2's point 1.
    {"StartAtAnInnerPoint", MakeRun(4, DOWN, {Point(0, 1, 0, DOWN), Point(1, 0, 0, DOWN)}), true,
     0.001},
    // At 2 reached moving down: nobody measured that state there.
    {"NoEarlierPointInTheSameState", MakeRun(4, DOWN, {Point(0, 2, 0, DOWN), Point(1, 1, 0, DOWN)}),
     false, 0},
    {"NoEarlierPointThere", MakeRun(4, UP, {Point(0, 7, 0, UP), Point(1, 8, 0, UP)}), false, 0},
};

class RunTies : public ::testing::TestWithParam<TieCase> {};

TEST_P(RunTies, PickTheSamePlaceInTheSameState) {
    const TieCase& c = GetParam();
    LoggedRun run = c.run;
    const RunLogStatus status = TieRun(kEarlier, run);
    ASSERT_EQ(status.code(), c.tied ? RunLogCode::OK : RunLogCode::START_NOT_TIED)
        << RunLogMessage(status);
    if (!c.tied) return;
    EXPECT_NEAR(run.points[0].deviation, c.startDeviation, 1e-12);
    for (const LoggedPoint& p : run.points)
        EXPECT_NEAR(p.deviation, c.startDeviation - p.correction, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Runs, RunTies, ::testing::ValuesIn(kTies),
                         [](const auto& row) { return std::string(row.param.name); });

// An axis 0 -> 4 in steps of 1 with error 0.001 per unit and lost motion b:
// reached moving up it lies at 0.001 x - b/2, moving down at 0.001 x + b/2.
// Runs go up, down, up, down, each starting where the last ended without
// moving, so its start is in the previous run's state. Each run sends the
// correction -(error here - error at its start), as the QSB zeroed at the
// start would give.
std::vector<LoggedRun> AlternatingRuns(double b, int pairs) {
    auto error = [b](double x, Direction d) { return 0.001 * x + (d == UP ? -b / 2 : b / 2); };
    std::vector<LoggedRun> tied;
    Direction state = UP;  // how the axis last moved before the first run
    for (int r = 0; r < 2 * pairs; ++r) {
        Direction direction = r % 2 == 0 ? UP : DOWN;
        LoggedRun run;
        run.run = r + 1;
        run.direction = direction;
        double startError = 0;
        for (int i = 0; i <= 4; ++i) {
            double target = direction == UP ? i : 4 - i;
            if (i > 0) state = direction;
            if (i == 0) startError = error(target, state);
            run.points.push_back(Point(i, target, -(error(target, state) - startError), state));
        }
        std::string why;
        EXPECT_TRUE(TieRun(tied, run, why)) << why;
        tied.push_back(run);
    }
    return tied;
}

TEST(RunTie, ShowsTheLostMotionThereIsAndNoOther) {
    for (double b : {0.0, 0.002}) {
        std::vector<TargetDeviations> targets = CollectDeviations(AlternatingRuns(b, 2));
        // Point 0 of each run is left out: 0 is reached moving down only
        // (ends of the downward runs), 4 moving up only.
        ASSERT_EQ(targets.size(), 5u);
        EXPECT_TRUE(targets.front().up.empty());
        EXPECT_EQ(targets.front().down.size(), 2u);
        EXPECT_TRUE(targets.back().down.empty());
        AxisFigures axis = ComputeAxisFigures(targets);
        for (const TargetFigures& t : axis.targets) {
            if (!t.reversal) continue;
            EXPECT_NEAR(*t.reversal, -b, 1e-12) << "b " << b << " at " << t.target;
            EXPECT_NEAR(*t.sUp, 0, 1e-12);
        }
        EXPECT_NEAR(*axis.reversal, b, 1e-12);
        EXPECT_NEAR(*axis.meanReversal, -b, 1e-12);
        // Up: 0.001 x - b/2 at 1..4; down: 0.001 x + b/2 at 0..3.
        EXPECT_NEAR(*axis.systematicUp, 0.003, 1e-12);
        // E = max(0.004 - b/2, 0.003 + b/2) - min(0.001 - b/2, b/2)
        EXPECT_NEAR(*axis.systematic,
                    std::max(0.004 - b / 2, 0.003 + b / 2) - std::min(0.001 - b / 2, b / 2), 1e-12);
    }
}

TEST(RunTie, LatestMeasurementOfEachAxis) {
    std::vector<LoggedRun> log = kEarlier;
    for (LoggedRun& run : log) run.measurement = 1;
    log.push_back(MakeRun(4, UP, {Point(0, 0, 0, DOWN), Point(1, 5, 0, UP)}));
    log.push_back(MakeRun(5, DOWN, {Point(0, 5, 0, UP), Point(1, 0, 0, DOWN)}));
    log[3].measurement = log[4].measurement = 2;
    LoggedRun other = MakeRun(6, UP, {Point(0, 0, 0, DOWN), Point(1, 5, 0, UP)});
    other.axis = 'Y';
    other.measurement = 3;
    log.push_back(other);
    std::vector<LoggedRun> latest = LatestMeasurement(log, 'X', false);
    ASSERT_EQ(latest.size(), 2u);
    EXPECT_EQ(latest[0].run, 4);
    EXPECT_EQ(latest[1].run, 5);
    EXPECT_TRUE(LatestMeasurement(log, 'X', true).empty());
    EXPECT_EQ(LatestMeasurement(log, 'Y', false).size(), 1u);
}

}  // namespace

namespace {

// A cycle's sweep begins where the previous one ended and takes that target
// again from the other side: one target twice, the same set as a plain run.
TEST(RunTie, SameTargetsIsTheSetOfTargets) {
    LoggedRun plain = MakeRun(1, UP, {Point(0, 0, 0, UP), Point(1, 1, 0, UP), Point(2, 2, 0, UP)});
    LoggedRun sweep = MakeRun(
        2, DOWN,
        {Point(0, 2, 0, UP), Point(1, 2, 0, DOWN), Point(2, 1, 0, DOWN), Point(3, 0, 0, DOWN)});
    LoggedRun shorter = MakeRun(3, UP, {Point(0, 0, 0, UP), Point(1, 1, 0, UP)});
    EXPECT_TRUE(SameTargets(plain, sweep));
    EXPECT_FALSE(SameTargets(plain, shorter));
}

}  // namespace

}  // namespace pitchwise
