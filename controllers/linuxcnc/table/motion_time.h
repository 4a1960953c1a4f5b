// How long LinuxCNC may take for one move: the limits of velocity and
// acceleration the machine's INI sets for an axis and its joint.
#pragma once

#include <vector>

#include "ini_file.h"

namespace pitchwise {

struct MotionRates {
    double velocityUnitsPerSecond = 1.0;  // the rapid rate, and the cap on any feed
    double accelerationUnitsPerSecond2 = 1.0;
};

// The lowest of [TRAJ], [AXIS_<axis>] and each [JOINT_<joint>]'s limits. A
// key the INI leaves out counts as LinuxCNC's own default for it.
MotionRates ReadMotionRates(const CIniFile& ini, char axis, const std::vector<int>& joints);

// Seconds a move of `distance` takes at up to `velocity`, accelerating and
// braking at `acceleration`. Never less than the real move's time.
double MoveSeconds(double distance, double velocity, double acceleration);

}  // namespace pitchwise
