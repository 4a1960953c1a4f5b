#include "run_reference.h"

#include <gtest/gtest.h>

namespace pitchwise {

namespace {

TEST(RunReferenceTest, StartIsReachedFromBelowWhereTheLimitsAllow) {
    EXPECT_EQ(ChooseApproachSide(0.0, -10.0, 100.0), 1);
    EXPECT_EQ(ChooseApproachSide(-10.0, -10.0, 100.0), -1);
    EXPECT_EQ(ChooseApproachSide(5.0, 5.0, 5.0), 0);
    EXPECT_DOUBLE_EQ(ApproachPoint(1, 0.0, 0.5, -10.0, 100.0), -0.5);
    EXPECT_DOUBLE_EQ(ApproachPoint(1, -9.8, 0.5, -10.0, 100.0), -10.0);
    EXPECT_DOUBLE_EQ(ApproachPoint(-1, -10.0, 0.5, -10.0, 100.0), -9.5);
}

TEST(RunReferenceTest, ReversalNeedsTheApproachColumnOverTheFirstStep) {
    const std::vector<CompPoint> old{{0.0, 0.0, 0.0}, {10.0, 10.0, 10.0}};
    EXPECT_TRUE(RunCanBeTied({}, false, 1, 0.0, 5.0));  // the start is the run's own
    EXPECT_FALSE(RunCanBeTied({}, false, 1, 10.0, 5.0));
    EXPECT_TRUE(RunCanBeTied(old, false, 1, 10.0, 5.0));
    EXPECT_FALSE(RunCanBeTied(old, false, 1, 12.0, 7.0));  // the start lies beyond the table
    EXPECT_TRUE(RunCanBeTied({}, true, 1, 10.0, 5.0));
}

struct ColumnRow {
    const char* name;
    std::vector<CompPoint> old;
    RunReadings run;
    std::vector<RunPoint> expected;
};

TEST(RunReferenceTest, ReadingsBecomeTheRunsColumn) {
    const std::vector<CompPoint> measuredUp{{0.0, 0.0, 0.0}, {5.0, 4.99, 5.0}, {10.0, 9.97, 10.0}};
    const ColumnRow rows[] = {
        {"first run, in its own direction: the start is the reference",
         {},
         {0.0, 1, 1, false, {{0.0, 0.0}, {5.0, 0.01}}},
         {{0.0, 0.0}, {5.0, 4.99}}},
        {"back across the reversal: tied to the positive column at the start, whose "
         "backlash at the first point is held there",
         measuredUp,
         {10.0, 1, -1, false, {{10.0, 0.0}, {5.0, 0.0}, {0.0, -0.01}}},
         {{0.0, -0.02}, {5.0, 4.97}, {10.0, 9.95}}},
        {"same direction again: tied to its own column at the start",
         measuredUp,
         {5.0, 1, 1, false, {{5.0, 0.0}, {10.0, 0.02}}},
         {{5.0, 4.99}, {10.0, 9.97}}},
        {"with the table in force the readings refine it",
         measuredUp,
         {0.0, 1, 1, true, {{0.0, 0.0}, {5.0, 0.001}}},
         {{0.0, 0.0}, {5.0, 4.989}}},
    };
    for (const ColumnRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<RunPoint> column = RunColumn(row.old, row.run);
        ASSERT_EQ(column.size(), row.expected.size());
        for (std::size_t i = 0; i < column.size(); ++i) {
            EXPECT_DOUBLE_EQ(column[i].nominal, row.expected[i].nominal);
            EXPECT_NEAR(column[i].actual, row.expected[i].actual, 1e-9) << column[i].nominal;
        }
    }
}

}  // namespace

}  // namespace pitchwise
