// Where a pause ends, across the carry into the next second.

#include "pause_deadline.h"

#include <gtest/gtest.h>

#include <vector>

namespace pitchwise {

namespace {

TEST(PauseDeadline, AddsTheMillisecondsWithTheCarry) {
    struct Row {
        timespec now;
        unsigned milliseconds;
        timespec deadline;
    };
    const std::vector<Row> rows = {
        {{10, 0}, 0, {10, 0}},
        {{10, 0}, 500, {10, 500000000L}},
        {{10, 499999999L}, 500, {10, 999999999L}},
        {{10, 500000000L}, 500, {11, 0}},
        {{10, 999999999L}, 1, {11, 999999L}},
        {{10, 900000000L}, 2100, {13, 0}},
        {{0, 1}, 100, {0, 100000001L}},
    };
    for (const Row& row : rows) {
        const timespec got = DeadlineAfter(row.now, row.milliseconds);
        EXPECT_EQ(got.tv_sec, row.deadline.tv_sec) << row.now.tv_nsec << " + " << row.milliseconds;
        EXPECT_EQ(got.tv_nsec, row.deadline.tv_nsec)
            << row.now.tv_nsec << " + " << row.milliseconds;
    }
}

}  // namespace

}  // namespace pitchwise
