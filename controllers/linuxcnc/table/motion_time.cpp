#include "motion_time.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace pitchwise {

namespace {

// LinuxCNC's values for an axis or joint whose INI section leaves the key out.
constexpr double DEFAULT_VELOCITY = 1.0;
constexpr double DEFAULT_ACCELERATION = 1.0;

// Lowers `limit` to the section's value for the first of `keys` it has, or
// to `fallback` when it has none and a fallback is given.
void Lower(double& limit, const CIniFile& ini, const std::string& section,
           std::initializer_list<const char*> keys, double fallback) {
    for (const char* key : keys) {
        std::string value;
        if (!ini.Find(section, key, value) || value.empty()) continue;
        char* end = nullptr;
        double number = std::strtod(value.c_str(), &end);
        // A value LinuxCNC could not use either leaves the limit as it is.
        if (end != value.c_str() && number > 0.0 && std::isfinite(number))
            limit = std::min(limit, number);
        return;
    }
    if (fallback > 0.0) limit = std::min(limit, fallback);
}

}  // namespace

MotionRates ReadMotionRates(const CIniFile& ini, char axis, const std::vector<int>& joints) {
    const std::string axisSection = std::string("AXIS_") + axis;
    double velocity = HUGE_VAL;
    double acceleration = HUGE_VAL;
    // [TRAJ] has no default that would slow a single axis: only a value counts.
    Lower(velocity, ini, "TRAJ", {"MAX_LINEAR_VELOCITY", "MAX_VELOCITY"}, 0.0);
    Lower(velocity, ini, axisSection, {"MAX_VELOCITY"}, DEFAULT_VELOCITY);
    Lower(acceleration, ini, "TRAJ", {"MAX_LINEAR_ACCELERATION", "MAX_ACCELERATION"}, 0.0);
    Lower(acceleration, ini, axisSection, {"MAX_ACCELERATION"}, DEFAULT_ACCELERATION);
    // Every joint of the letter moves with it (a gantry's two): the slowest sets the pace.
    for (int joint : joints) {
        const std::string jointSection = "JOINT_" + std::to_string(joint);
        Lower(velocity, ini, jointSection, {"MAX_VELOCITY"}, DEFAULT_VELOCITY);
        Lower(acceleration, ini, jointSection, {"MAX_ACCELERATION"}, DEFAULT_ACCELERATION);
    }
    return MotionRates{velocity, acceleration};
}

double MoveSeconds(double distance, double velocity, double acceleration) {
    distance = std::fabs(distance);
    if (distance == 0.0) return 0.0;
    if (!(velocity > 0.0) || !(acceleration > 0.0)) return HUGE_VAL;
    // A trapezoid takes distance/v + v/a. A move too short to reach v takes
    // 2*sqrt(distance/a), which is never more (the mean of distance/v and
    // v/a is at least their geometric mean), so the one sum bounds both.
    return distance / velocity + velocity / acceleration;
}

}  // namespace pitchwise
