#include "motion_time.h"

#include <gtest/gtest.h>

#include <cmath>

namespace pitchwise {

namespace {

struct RatesRow {
    const char* name;
    const char* ini;
    double velocity;
    double acceleration;
};

TEST(ReadMotionRates, TakesTheLowestLimitOfTrajAxisAndJoint) {
    const RatesRow rows[] = {
        {"joint lowest",
         "[TRAJ]\nMAX_LINEAR_VELOCITY = 50\nMAX_LINEAR_ACCELERATION = 500\n"
         "[AXIS_X]\nMAX_VELOCITY = 40\nMAX_ACCELERATION = 400\n"
         "[JOINT_0]\nMAX_VELOCITY = 4\nMAX_ACCELERATION = 30\n",
         4.0, 30.0},
        {"traj lowest",
         "[TRAJ]\nMAX_LINEAR_VELOCITY = 2\nMAX_LINEAR_ACCELERATION = 3\n"
         "[AXIS_X]\nMAX_VELOCITY = 40\nMAX_ACCELERATION = 400\n"
         "[JOINT_0]\nMAX_VELOCITY = 40\nMAX_ACCELERATION = 400\n",
         2.0, 3.0},
        {"older [TRAJ] names",
         "[TRAJ]\nMAX_VELOCITY = 5\nMAX_ACCELERATION = 6\n"
         "[AXIS_X]\nMAX_VELOCITY = 40\nMAX_ACCELERATION = 400\n"
         "[JOINT_0]\nMAX_VELOCITY = 40\nMAX_ACCELERATION = 400\n",
         5.0, 6.0},
        {"the axis asked for, not another",
         "[AXIS_Y]\nMAX_VELOCITY = 0.5\n[AXIS_X]\nMAX_VELOCITY = 40\nMAX_ACCELERATION = 400\n"
         "[JOINT_1]\nMAX_VELOCITY = 0.5\n[JOINT_0]\nMAX_VELOCITY = 40\nMAX_ACCELERATION = 400\n",
         40.0, 400.0},
        {"missing keys count as LinuxCNC's default of 1", "[TRAJ]\nMAX_LINEAR_VELOCITY = 50\n", 1.0,
         1.0},
        {"first key of the first section wins",
         "[AXIS_X]\nMAX_VELOCITY = 8\nMAX_VELOCITY = 2\nMAX_ACCELERATION = 400\n"
         "[JOINT_0]\nMAX_VELOCITY = 40\nMAX_ACCELERATION = 400\n"
         "[AXIS_X]\nMAX_VELOCITY = 1\n",
         8.0, 400.0},
        {"header with a comment, blanks, comments",
         "[AXIS_X] # slow\n  MAX_VELOCITY=  6  \n# MAX_VELOCITY = 1\nMAX_ACCELERATION = 400\n"
         "[JOINT_0]\nMAX_VELOCITY = 40\nMAX_ACCELERATION = 400\n",
         6.0, 400.0},
        {"unusable values are left out",
         "[TRAJ]\nMAX_LINEAR_VELOCITY = fast\nMAX_LINEAR_ACCELERATION = -3\n"
         "[AXIS_X]\nMAX_VELOCITY = 0\nMAX_ACCELERATION = 400\n"
         "[JOINT_0]\nMAX_VELOCITY = 40\nMAX_ACCELERATION = 400\n",
         40.0, 400.0},
    };
    for (const RatesRow& row : rows) {
        SCOPED_TRACE(row.name);
        CIniFile ini;
        ini.Parse(row.ini);
        MotionRates rates = ReadMotionRates(ini, 'X', {0});
        EXPECT_DOUBLE_EQ(rates.velocityUnitsPerSecond, row.velocity);
        EXPECT_DOUBLE_EQ(rates.accelerationUnitsPerSecond2, row.acceleration);
    }
}

TEST(ReadMotionRates, TheSlowerJointOfAGantrySetsThePace) {
    CIniFile ini;
    ini.Parse(
        "[AXIS_Y]\nMAX_VELOCITY = 40\nMAX_ACCELERATION = 400\n"
        "[JOINT_1]\nMAX_VELOCITY = 40\nMAX_ACCELERATION = 400\n"
        "[JOINT_2]\nMAX_VELOCITY = 7\nMAX_ACCELERATION = 70\n");
    MotionRates rates = ReadMotionRates(ini, 'Y', {1, 2});
    EXPECT_DOUBLE_EQ(rates.velocityUnitsPerSecond, 7.0);
    EXPECT_DOUBLE_EQ(rates.accelerationUnitsPerSecond2, 70.0);
    rates = ReadMotionRates(ini, 'Y', {1});
    EXPECT_DOUBLE_EQ(rates.velocityUnitsPerSecond, 40.0);
}

// The real time of a move that starts and ends at rest: a trapezoid, or a
// triangle when it is too short to reach `v`.
double ExactSeconds(double d, double v, double a) {
    return d >= v * v / a ? d / v + v / a : 2.0 * std::sqrt(d / a);
}

struct MoveRow {
    double distance, velocity, acceleration, seconds;
};

TEST(MoveSeconds, BoundsTheRealMoveFromAbove) {
    const MoveRow rows[] = {
        {80.0, 4.0, 500.0, 20.008},  // the slowed rapid of a long move back to the start
        {5.0, 5.0, 500.0, 1.01},
        {0.01, 50.0, 1.0, 50.0002},  // far too short to reach the
                                     // velocity
        {100.0, 1.0, 1.0, 101.0},
        {-80.0, 4.0, 500.0, 20.008},
        {0.0, 4.0, 500.0, 0.0},
    };
    for (const MoveRow& row : rows) {
        const double seconds = MoveSeconds(row.distance, row.velocity, row.acceleration);
        EXPECT_NEAR(seconds, row.seconds, 1e-9) << row.distance;
        EXPECT_GE(seconds, ExactSeconds(std::fabs(row.distance), row.velocity, row.acceleration));
    }
    EXPECT_TRUE(std::isinf(MoveSeconds(1.0, 0.0, 1.0)));
    EXPECT_TRUE(std::isinf(MoveSeconds(1.0, 1.0, std::nan(""))));
}

}  // namespace

}  // namespace pitchwise
